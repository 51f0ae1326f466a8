# Lumenhollow: `make run` and `make test` work on a fresh Debian 12 machine.
# BUILD can point elsewhere so several checkouts or people can build side by side.
SHELL := /bin/bash
BUILD ?= build
NATIVE := $(BUILD)/native
WIN := $(BUILD)/win
export LH_BUILD := $(abspath $(BUILD))

.PHONY: all setup native win seam unit wine ui test run bench dist samples fuzz clean

all: native win

setup:
	@scripts/setup.sh

native: setup
	@cmake -S . -B $(NATIVE) -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
	@cmake --build $(NATIVE)

win: setup
	@cmake -S . -B $(WIN) -G Ninja -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64.cmake >/dev/null
	@cmake --build $(WIN)

seam:
	@scripts/seam-check.sh

unit: native
	@$(NATIVE)/unit_tests --gtest_brief=1

wine: win
	@tests/wine/run.sh $(WIN)

ui: setup
	@tests/ui/run.sh

# Every test, in order; the last line counts them all.
test: setup
	@scripts/run-tests.sh

# The sample wallpapers, baked once per build folder.
samples: setup
	@scripts/samples.sh

run: win samples
	@scripts/run.sh $(WIN)

# Figures beside their targets: Google Benchmark natively, the whole bake
# against ffmpeg, and the real program under Wine.
bench: native win
	@cmake --build $(NATIVE) --target benchmarks
	@$(NATIVE)/benchmarks
	@bench/bake_compare.sh $(NATIVE)
	@bench/wine_figures.sh $(WIN)
	@bench/video_cpu.sh $(WIN)

# Every fuzz target for ten million executions (make test runs each briefly).
fuzz: setup
	@FUZZ_RUNS=$${FUZZ_RUNS:-10000000} tests/fuzz/run.sh

dist: win
	@scripts/dist.sh $(WIN)

clean:
	rm -rf $(BUILD) dist
