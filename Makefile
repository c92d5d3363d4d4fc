# Front door: `make run` builds qtext and runs it on its built-in sample; `make test` builds and
# runs every test: a release build (g++) with the texts at the 2^31 - 1 unit ceiling, and
# builds under AddressSanitizer with UndefinedBehaviorSanitizer and under ThreadSanitizer (clang).
# `make fuzz` runs each fuzzer for a fixed time on an instrumented build; `make bench` times the
# hot operations against ICU, the standard library and Qt and prints the ratios. `make
# test-windows` builds the library as Windows DLLs with mingw-w64 for x86-64 and x86 and runs
# each build's tests under wine (x86 where the machine runs 32-bit programs; else its exports
# are checked, and one line says so). `make package` builds the Debian packages into
# build/package, `make package-test` installs them on this machine, builds a consumer against
# them and removes them (root), `make docs` writes the API reference to build/docs/html.
.PHONY: all deps release asan tsan fuzz run test bench test-windows package package-test docs clean

# CMake's own makefiles would otherwise announce every directory they enter and leave.
MAKEFLAGS += --no-print-directory

all: release

deps:
	@scripts/install-deps

release asan tsan: deps
	cmake --preset $@
	cmake --build --preset $@

run: deps
	cmake --preset release
	cmake --build --preset release --target qtext
	./build/release/tools/qtext/qtext info --sample

test: release asan tsan
	ctest --preset release
	ctest --preset limits
	ctest --preset asan
	ctest --preset tsan

# The hot operations against ICU, the standard library and Qt 5 (when qtbase5-dev is installed),
# then a table of the library's time over the fastest peer's. Not part of `make test`.
# BENCH_REPETITIONS sets the repetitions (the medians are compared); BENCH_FILTER narrows.
BENCH_REPETITIONS ?= 5
BENCH_FILTER ?= .
bench: deps
	cmake --preset release
	cmake --build --preset release --target quendaltext_peers
	./build/release/bench/quendaltext_peers --benchmark_repetitions=$(BENCH_REPETITIONS) \
	  --benchmark_report_aggregates_only=true --benchmark_min_time=0.2 \
	  --benchmark_filter='$(BENCH_FILTER)'

# FUZZ_SECONDS sets the time of each fuzzer's run.
FUZZ_SECONDS ?= 45
fuzz: deps
	cmake --preset fuzz -DQUENDALTEXT_FUZZ_SECONDS=$(FUZZ_SECONDS)
	cmake --build --preset fuzz
	ctest --preset fuzz

test-windows: deps
	@scripts/test-windows

package:
	@scripts/install-deps package
	cmake --preset package
	cmake --build --preset package

package-test: package
	tests/package/package_test.sh build/package

# Doxygen over the public headers; any warning (an undocumented public name) fails.
docs:
	@scripts/install-deps docs
	rm -rf build/docs && mkdir -p build/docs
	QUENDALTEXT_VERSION=$$(sed -n 's/^project(QuendalText VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt) \
	  doxygen docs/Doxyfile
	@echo "API reference: build/docs/html/index.html"

clean:
	rm -rf build
