#!/usr/bin/env bash
# Installs every package that building, running and testing the program needs, on Debian 12
# (bookworm) or Debian 13 (trixie). Package names are the release's own: where Debian has a
# default version (clang), the unversioned name follows it.
# Idempotent: when everything is present it only checks and returns.
#   install-deps.sh [--bench] [--arm64] [PACKAGE...]
# --bench: also what `make bench` needs (the yardstick's libraries too); --arm64: also what
# `make test-arm64` needs; package names given are installed too (the package check passes its own).
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-translations-l10n
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-ipafont-gothic fonts-ipafont-mincho libfontconfig-dev
  # A teacher's desktop: its locale, and the other Japanese fonts many desktops have beside IPA.
  locales fonts-noto-cjk
  cups cups-client cups-bsd cups-common cups-ipp-utils printer-driver-cups-pdf libcups2-dev
  xvfb xauth x11-utils twm poppler-utils imagemagick
  # The sanitizer and libFuzzer runtime must be the default clang's own (14 on Debian 12, 19 on
  # Debian 13): libclang-rt-dev is the one that follows it.
  clang libclang-rt-dev
  librsvg2-bin desktop-file-utils appstream man-db
  # The browser edition: built by emscripten, tested in the engines of school devices: Debian's
  # chromium and WebKitGTK driven by selenium (WebKit's printing through python3-gi), firefox-esr
  # by puppeteer-core from npm.
  emscripten chromium chromium-driver python3-selenium
  webkit2gtk-driver gir1.2-webkit2-4.1 python3-gi firefox-esr
)
# Node and npm for puppeteer-core: Debian's, unless some other node with its npm is installed
# already (Debian's npm package would conflict with it).
if ! command -v npm >/dev/null 2>&1; then
  PACKAGES+=(nodejs npm)
fi
while [ $# -gt 0 ]; do
  case $1 in
    # Only the benchmarks time whole processes with hyperfine; nothing else needs it. The
    # libraries are those of the yardstick that bench/sheets.sh builds beside tavrelo-sheets.
    --bench) PACKAGES+=(hyperfine libcairo2-dev libfreetype-dev libharfbuzz-dev zlib1g-dev) ;;
    # The cross compiler and the emulator the tests run under; GoogleTest for the target is
    # built from the sources libgtest-dev ships.
    --arm64) PACKAGES+=(g++-aarch64-linux-gnu qemu-user-static) ;;
    *) break ;;
  esac
  shift
done
PACKAGES+=("$@")

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

# The locales the tests run the programs under: a Japanese desktop's, and one that writes 2,5.
LOCALES=(ja_JP de_DE)
missingLocales=()
for l in "${LOCALES[@]}"; do
  if ! locale -a 2>/dev/null | grep -qx "$l.utf8"; then missingLocales+=("$l"); fi
done

if [ ${#missing[@]} -eq 0 ] && [ ${#missingLocales[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then SUDO="sudo"; else
    echo "install-deps: need root or sudo to install: ${missing[*]} ${missingLocales[*]}" >&2; exit 1
  fi
fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

for l in "${missingLocales[@]}"; do
  echo "install-deps: making the locale $l.UTF-8"
  $SUDO localedef -i "$l" -c -f UTF-8 "$l.UTF-8"
done
