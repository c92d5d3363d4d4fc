# Front door: `make run` builds qtext and runs it on its built-in sample; `make test` builds and
# runs every test in a release build (g++) and again under AddressSanitizer and
# UndefinedBehaviorSanitizer (clang).
.PHONY: all deps release asan run test clean

# CMake's own makefiles would otherwise announce every directory they enter and leave.
MAKEFLAGS += --no-print-directory

all: release

deps:
	@scripts/install-deps

release: deps
	cmake --preset release
	cmake --build --preset release

asan: deps
	cmake --preset asan
	cmake --build --preset asan

run: deps
	cmake --preset release
	cmake --build --preset release --target qtext
	./build/release/tools/qtext/qtext info --sample

test: release asan
	ctest --preset release
	ctest --preset asan

clean:
	rm -rf build
