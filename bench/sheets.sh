#!/usr/bin/env bash
# Whole-process figures of tavrelo-sheets on a release build: medians by hyperfine, peak resident
# memory by /usr/bin/time -v, and the size of the PDF. Beside them, in the same hyperfine runs, the
# yardstick: a plain C program drawing pages of the same kind through cairo (../shared/peers/limit),
# built here when its source and libraries are present. Not a test; run by `make bench`.
#   bench/sheets.sh [path to tavrelo-sheets] [folder of limit.c]
set -euo pipefail
exe=${1:-build/release/sheets/tavrelo-sheets}
peer=${2:-$(cd "$(dirname "$0")/.." && pwd)/../shared/peers/limit}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
export QT_QPA_PLATFORM=offscreen
# The same bytes every run, so that the runs compared differ in nothing but their time.
export SOURCE_DATE_EPOCH=1700000000

hyperfine -N --warmup 3 --runs 30 --export-csv "$out/one.csv" \
  "$exe -q --seed 1 -o $out/one.pdf" >/dev/null
hyperfine -N --warmup 2 --runs 15 --export-csv "$out/hundred.csv" \
  "$exe -q --seed 1 --sheets 100 -o $out/hundred.pdf" >/dev/null

# hyperfine's CSV: command,mean,stddev,median,... in seconds.
median_ms() { awk -F, -v row="${2:-1}" 'NR == row + 1 { printf "%.1f", $4 * 1000 }' "$1"; }
peak_mb() {
  /usr/bin/time -v "$@" 2>&1 >/dev/null | awk -F: '/Maximum resident set size/ { printf "%.1f", $2 / 1024 }'
}

echo "1 sheet + answer sheet (2 pages):      median $(median_ms "$out/one.csv") ms   (goal 60 ms)"
echo "100 sheets + answer sheets (200 pages): median $(median_ms "$out/hundred.csv") ms   (goal 600 ms)"
echo "peak resident, 100 sheets:   $(peak_mb "$exe" -q --seed 1 --sheets 100 -o "$out/rss.pdf") MB   (goal 80 MB)"
echo "peak resident, 1000 sheets:  $(peak_mb "$exe" -q --seed 1 --sheets 1000 -o "$out/rss.pdf") MB   (must not grow with the sheets)"
echo "PDF of 200 pages: $(stat -c %s "$out/hundred.pdf") bytes   (goal 1 MB)"

# The yardstick, built with the command its README gives, only where its libraries are
# installed (scripts/install-deps.sh --bench installs them).
libs=(cairo fontconfig freetype2 harfbuzz harfbuzz-subset zlib)
limit=$(dirname "$exe")/../peers/limit
if [ ! -f "$peer/limit.c" ]; then
  echo "yardstick: no $peer/limit.c here; comparison left out"
  exit 0
fi
if ! pkg-config --exists "${libs[@]}"; then
  echo "yardstick: its libraries are missing (scripts/install-deps.sh --bench); comparison left out"
  exit 0
fi
if [ ! -x "$limit" ] || [ "$peer/limit.c" -nt "$limit" ]; then
  mkdir -p "$(dirname "$limit")"
  # shellcheck disable=SC2046  # pkg-config's flags are words
  gcc -O2 -o "$limit" "$peer/limit.c" $(pkg-config --cflags --libs "${libs[@]}") -lm
fi

# Ours and the yardstick in one hyperfine call per size, so that both see the same machine.
beside() {
  local sheets=$1 runs=$2 goal=$3
  hyperfine -N --warmup 1 --runs "$runs" --export-csv "$out/beside$sheets.csv" \
    "$exe -q --seed 1 --sheets $sheets --preset g4-tenths-x-2digit -o $out/ours.pdf" \
    "$limit cairo $sheets $out/limit.pdf 2digit" >/dev/null 2>"$out/warnings"
  local ours limit_ms
  ours=$(median_ms "$out/beside$sheets.csv" 1)
  limit_ms=$(median_ms "$out/beside$sheets.csv" 2)
  echo "$sheets sheets, g4-tenths-x-2digit: median $ours ms, limit cairo $limit_ms ms:" \
    "$(awk -v a="$ours" -v b="$limit_ms" 'BEGIN { printf "%.2f", a / b }') times   (goal at most $goal)"
  # Other work on the machine shows as outliers; the figures are then worth repeating.
  if grep -q outliers "$out/warnings"; then echo "  (hyperfine saw outliers: the machine was busy)"; fi
}
beside 100 15 1.6
beside 1000 7 1.3
echo "peak resident, g4-tenths-x-2digit: 100 sheets" \
  "$(peak_mb "$exe" -q --seed 1 --sheets 100 --preset g4-tenths-x-2digit -o "$out/rss.pdf") MB," \
  "1000 sheets $(peak_mb "$exe" -q --seed 1 --sheets 1000 --preset g4-tenths-x-2digit -o "$out/rss.pdf") MB;" \
  "limit cairo 1000 sheets $(peak_mb "$limit" cairo 1000 "$out/rss.pdf" 2digit) MB"
