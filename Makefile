# The front door: two commands on a fresh Debian 12 (bookworm) or Debian 13 (trixie) machine.
#   make run   installs what is missing, builds and starts the program
#   make test  installs what is missing, builds and runs the whole test suite
# The rest are for developers (make package builds the Debian package).

.PHONY: run test deps build web node-modules display test-asan test-arm64 format-check fuzz bench package check-package check-debian13 clean

deps:
	@bash scripts/install-deps.sh

build: deps
	cmake --preset dev
	cmake --build --preset dev

# The browser edition: build/web/tavrelo.html, one file with everything inlined. Debian's
# emscripten runs its tools with node and looks for its modules where Debian's node keeps them.
export NODE_PATH = /usr/share/nodejs
web: deps
	cmake --preset web
	cmake --build --preset web

# Checked before anything is installed or built, so that it fails at once.
display:
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	  echo "No display: this program opens a window and needs a desktop session (DISPLAY is not set)." >&2; \
	  echo "On a machine without a screen, run it under a virtual one: xvfb-run -a make run" >&2; \
	  exit 1; \
	fi

run: display build
	./build/dev/app/tavrelo

# The page first, so that the build installs it as the package does.
test: web build node-modules
	ctest --preset dev

# puppeteer-core, which drives firefox-esr in the browser tests and benchmarks, as tests/web's
# package lock pins it, in build/node; installed again only when the lock changes.
NODE_MODULES = build/node/node_modules/.package-lock.json
node-modules: $(NODE_MODULES)
$(NODE_MODULES): tests/web/package.json tests/web/package-lock.json | deps
	mkdir -p build/node
	cp tests/web/package.json tests/web/package-lock.json build/node/
	cd build/node && npm ci --no-audit --no-fund --prefer-offline
	touch $@

test-asan: deps
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan

# Every C++ file of the tree against .clang-format. The style is checked with Debian 12's
# clang-format (14), the one CI has: other versions may place a few lines otherwise.
format-check:
	@bash scripts/install-deps.sh clang-format
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror

# The Qt-free libraries (core, drawing, run) and their tests cross-built for arm64 with Debian's
# cross compiler and run under qemu's user-mode emulator.
test-arm64:
	@bash scripts/install-deps.sh --arm64
	cmake --preset arm64
	cmake --build --preset arm64
	ctest --preset arm64

# Bounded libFuzzer runs (FUZZ_SECONDS each, default 30) over the number texts, the generator
# with digit patterns and answer ranges, and the option reader with its stored command line;
# each keeps its corpus under build/fuzz.
FUZZ_SECONDS ?= 30
fuzz: deps
	cmake --preset fuzz
	cmake --build --preset fuzz
	mkdir -p build/fuzz/corpus build/fuzz/corpus-generator build/fuzz/corpus-options
	./build/fuzz/fuzz/numtext_fuzz -max_total_time=$(FUZZ_SECONDS) -max_len=64 -artifact_prefix=build/fuzz/ build/fuzz/corpus fuzz/seeds
	./build/fuzz/fuzz/generator_fuzz -max_total_time=$(FUZZ_SECONDS) -max_len=128 -artifact_prefix=build/fuzz/ build/fuzz/corpus-generator fuzz/seeds-generator
	QT_QPA_PLATFORM=offscreen ./build/fuzz/fuzz/options_fuzz -max_total_time=$(FUZZ_SECONDS) -max_len=256 -artifact_prefix=build/fuzz/ \
	  build/fuzz/corpus-options fuzz/seeds-options

bench: web node-modules
	@bash scripts/install-deps.sh --bench
	cmake --preset release
	cmake --build --preset release
	./build/release/bench/core_bench
	QT_QPA_PLATFORM=offscreen ./build/release/bench/drawing_bench
	bash bench/sheets.sh build/release/sheets/tavrelo-sheets
	/usr/bin/python3 bench/web.py build/web/tavrelo.html build/release/sheets/tavrelo-sheets

# The Debian package build/package/tavrelo_<version>_<architecture>.deb (amd64 on a PC), for the
# Debian release it is built on, from a release build of its own with Debian's compiler and
# linker flags (hardening; build paths mapped out of the binaries).
# Given on the command line, the flags apply again even when build/package already exists.
DEB_FLAGS = DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get
package: deps web
	cmake --preset package \
	  -DCMAKE_CXX_FLAGS="$$($(DEB_FLAGS) CPPFLAGS) $$($(DEB_FLAGS) CXXFLAGS)" \
	  -DCMAKE_EXE_LINKER_FLAGS="$$($(DEB_FLAGS) LDFLAGS)"
	cmake --build --preset package
	cpack --preset package

# Builds the package, checks it, installs it on this machine, runs both programs from it and
# removes it again (root or sudo; see the script).
check-package:
	bash scripts/check-package.sh

# The two commands and the package on a fresh Debian 13 system made with debootstrap in a
# temporary folder (root; see the script).
check-debian13:
	bash scripts/check-debian13.sh

clean:
	rm -rf build
