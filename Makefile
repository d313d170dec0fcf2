# Entry points for people and CI. Every target installs what it needs first.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps build test sanitize fuzz check demo bench clean

all: build

deps:
	@scripts/install-deps.sh

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

# Unit tests and golden cases of the native build.
test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# Unit tests and golden cases built with address and undefined-behaviour
# sanitizers.
sanitize: deps
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZUDIZ_SANITIZE=ON
	cmake --build build-asan -j $(JOBS)
	cd build-asan && ctest --output-on-failure -j $(JOBS)

# The libFuzzer target for FUZZ_SECONDS (default 60).
fuzz:
	@scripts/fuzz.sh

# Everything CI runs.
check: test sanitize fuzz

demo: build
	@scripts/demo.sh $(BUILD)/zudiz

# Times the program against cmp, diff and numdiff on generated reports;
# settings by environment (BENCH_SIZES, BENCH_DIR, ...: see the script).
bench:
	@bench/run_bench.sh

clean:
	rm -rf $(BUILD) build-asan build-fuzz build-bench
