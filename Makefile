# make test: everything CI checks. make demo: the main job on the built-in sample.
.PHONY: all test demo bootstrap native asan windows bench clean

all: native

bootstrap:
	@scripts/bootstrap

native: bootstrap
	cmake --preset native >/dev/null
	cmake --build --preset native

test: native
	ctest --preset native
	cmake --preset asan >/dev/null
	cmake --build --preset asan
	ctest --preset asan
	cmake --preset windows >/dev/null
	cmake --build --preset windows
	scripts/wine-ctest

demo: native
	scripts/demo build/native

bench: native
	bench/sig_vs_cksum.sh build/native

clean:
	rm -rf build
