# The front door: two commands on a fresh Debian 12 machine.
#   make run   installs what is missing, builds and starts the program
#   make test  installs what is missing, builds and runs the whole test suite
# The rest are for developers.

.PHONY: run test deps build display test-asan fuzz bench clean

deps:
	@bash scripts/install-deps.sh

build: deps
	cmake --preset dev
	cmake --build --preset dev

# Checked before anything is installed or built, so that it fails at once.
display:
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	  echo "No display: this program opens a window and needs a desktop session (DISPLAY is not set)." >&2; \
	  echo "On a machine without a screen, run it under a virtual one: xvfb-run -a make run" >&2; \
	  exit 1; \
	fi

run: display build
	./build/dev/app/tavrelo

test: build
	ctest --preset dev

test-asan: deps
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan

# A bounded libFuzzer run over the number texts (FUZZ_SECONDS, default 30).
FUZZ_SECONDS ?= 30
fuzz: deps
	cmake --preset fuzz
	cmake --build --preset fuzz
	mkdir -p build/fuzz/corpus
	./build/fuzz/fuzz/numtext_fuzz -max_total_time=$(FUZZ_SECONDS) -max_len=64 build/fuzz/corpus fuzz/seeds

bench:
	@bash scripts/install-deps.sh --bench
	cmake --preset release
	cmake --build --preset release
	./build/release/bench/core_bench
	QT_QPA_PLATFORM=offscreen ./build/release/bench/drawing_bench
	bash bench/sheets.sh build/release/tools/sheets/tavrelo-sheets

clean:
	rm -rf build
