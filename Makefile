# Entry points for people and CI. Every target installs what it needs first.
BUILD ?= build
BUILD_WIN ?= build-win
JOBS ?= $(shell nproc)
# `make install`: where, and an optional staging root for packagers.
PREFIX ?= /usr/local
DESTDIR ?=
CMAKE_FLAGS ?=
# Our own targets treat warnings as errors; a plain cmake build does not.
WERROR := -DZUDIZ_WERROR=ON

.PHONY: all deps build install test browser-deps browser-test sanitize tsan fuzz check \
        demo bench soak clean windows-deps windows windows-check package-deps \
        package deb-check

all: build

deps:
	@scripts/install-deps.sh

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(WERROR) $(CMAKE_FLAGS)

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

# Both programs, their manuals, the library, its header, CMake package and
# zudiz.pc under PREFIX (default /usr/local), inside DESTDIR when set.
install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

# Unit tests and golden cases of the native build.
test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) -LE browser

# The shortcuts of the engine against its plain steps on a hundred times as
# many generated report pairs as make test runs (several minutes).
soak: build
	cd $(BUILD) && ZUDIZ_SOAK=100 tests/unit_tests --gtest_filter='Shortcuts.*'

# The suite's HTML report in a real browser: Debian's chromium, headless,
# driven by puppeteer-core from npm. Runs alone, as it measures load times.
browser-deps:
	@scripts/install-browser-test.sh

browser-test: browser-deps build
	cd $(BUILD) && ZUDIZ_BROWSER_TEST=required ctest --output-on-failure -L browser

# Unit tests and golden cases built with address and undefined-behaviour
# sanitizers.
sanitize: deps
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZUDIZ_SANITIZE=ON $(WERROR)
	cmake --build build-asan -j $(JOBS)
	cd build-asan && ctest --output-on-failure -j $(JOBS) -LE browser

# The library's tests built with the thread sanitizer: eight threads run the
# golden cases' pairs at once, each result checked against the one of a
# single thread, and any data race between the runs fails the test. The
# suite's end-to-end script (suite.cli) is left out: it starts the program
# well over a hundred times, signals included, and ran past its time limit
# under the sanitizer; the native and address-sanitizer runs take it.
tsan: deps
	cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZUDIZ_TSAN=ON \
	  -DZUDIZ_BENCH=OFF $(WERROR)
	cmake --build build-tsan -j $(JOBS) --target zudiz zudiz_tests suite_tests \
	  zudiz-suite
	cd build-tsan && ctest --output-on-failure -j $(JOBS) -LE browser \
	  -R '^(zudiz\.|Suite|suite\.)' -E '^suite\.cli$$'

# The libFuzzer targets for FUZZ_SECONDS in all (default 60).
fuzz:
	@scripts/fuzz.sh

# Everything CI runs.
check: test browser-test sanitize tsan windows-check fuzz deb-check

# Builds only the two programs, zudiz first, so the first output comes
# quickly.
demo: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS) --target zudiz
	@scripts/demo.sh $(BUILD)/zudiz -
	cmake --build $(BUILD) -j $(JOBS) --target zudiz-suite
	@scripts/demo.sh - $(BUILD)/zudiz-suite \
	  $(BUILD)/demo/suite-report.html

# Windows build: a static zudiz.exe cross-compiled with mingw-w64, tested
# under wine (unit tests, golden cases and the Windows-only cases). Same
# build type as the native build; GCC 12 at -O3 (Release) warns falsely
# about std::string copies, and warnings are errors.
windows-deps:
	@scripts/install-deps.sh g++-mingw-w64-x86-64-posix googletest wine wine64 groff

$(BUILD_WIN)/CMakeCache.txt:
	cmake -S . -B $(BUILD_WIN) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake $(WERROR) $(CMAKE_FLAGS)

windows: windows-deps $(BUILD_WIN)/CMakeCache.txt
	cmake --build $(BUILD_WIN) -j $(JOBS)

windows-check: windows
	cd $(BUILD_WIN) && ctest --output-on-failure -j $(JOBS)

# Release packages: the Debian packages of the native build and a zip of
# the Windows programs with the README and the manuals (troff and HTML), in
# out/.
package-deps:
	@scripts/install-deps.sh dpkg-dev file lintian groff unzip

# The Debian package of the native build, checked by lintian: any error or
# warning fails.
deb-check: package-deps build
	rm -rf out/deb-check
	cd $(BUILD) && cpack -G DEB -B $(CURDIR)/out/deb-check
	lintian --fail-on error,warning out/deb-check/*.deb

package: package-deps build windows
	cd $(BUILD) && cpack -G DEB -B $(CURDIR)/out
	cd $(BUILD_WIN) && cpack -G ZIP -B $(CURDIR)/out
	unzip -l out/zudiz-*-windows-*.zip | grep -q 'zudiz-suite\.html$$'

# Times the program against cmp, diff and numdiff on generated reports;
# settings by environment (BENCH_SIZES, BENCH_DIR, ...: see the script).
bench: browser-deps
	@bench/run_bench.sh

clean:
	rm -rf $(BUILD) build-asan build-tsan build-fuzz build-bench build-python $(BUILD_WIN)
