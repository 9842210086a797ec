# make test: everything CI checks. make demo: the main job on the built-in sample.
.PHONY: all test demo bootstrap windows-programs native fuzz bench clean

FUZZ_SECONDS ?= 60

all: native

bootstrap:
	@scripts/bootstrap

# The Windows programs that ship beside the page wizard: the native and sanitizer builds
# copy them into their share directory.
windows-programs: bootstrap
	cmake --preset windows >/dev/null
	cmake --build --preset windows --target vexaload vexa_stand_alone_web_prog vexa_install vexa_uninstall

native: windows-programs
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
	cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz
	scripts/fuzz 20

# make fuzz FUZZ_SECONDS=600: each fuzzer for that long.
fuzz: bootstrap
	cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz
	scripts/fuzz $(FUZZ_SECONDS)

demo: native
	scripts/demo build/native

bench: native
	bench/sig_vs_cksum.sh build/native
	bench/cab_vs_peers.sh build/native
	bench/fetch_vs_curl.sh build/native
	bench/load_vs_peers.sh build/native
	bench/post_vs_curl.sh build/native
	bench/install_vs_peers.sh build/native
	bench/setup_vs_cabextract.sh build/native

clean:
	rm -rf build
