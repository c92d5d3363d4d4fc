# Front door: `make run` builds and runs qtext on its built-in sample, `make test` builds and
# runs every test in a release build and again under AddressSanitizer and UndefinedBehaviorSanitizer.
.PHONY: all deps release asan run test clean

all: release

deps:
	@scripts/install-deps

release: deps
	cmake --preset release
	cmake --build --preset release

asan: deps
	cmake --preset asan
	cmake --build --preset asan

run: release
	./build/release/tools/qtext/qtext info --sample

test: release asan
	ctest --preset release
	ctest --preset asan

clean:
	rm -rf build
