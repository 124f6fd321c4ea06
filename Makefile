# Front door to the CMake builds. `make demo` and `make test` set up all
# they need on a fresh Debian 12 machine (as root), Debian packages included.
#
#   make          host cores and unit tests, and the Windows programs (32- and 64-bit)
#   make demo     the agent on a private desktop, driven by orvprobe
#   make test     unit tests (plain and under ASan/UBSan) and end-to-end tests under Wine
#   make test-versions  the end-to-end tests under Windows 95, 98, XP and 10 (as Wine reports them)
#   make bench    benchmarks (not part of make test)
#   make dist     a zip for Windows users

BUILD ?= build
JOBS ?= 2
CMAKE_WIN = -DCMAKE_BUILD_TYPE=Release
PYTEST = /usr/bin/python3 -m pytest

.PHONY: all deps host asan win32 win64 windows unit e2e test test-versions demo bench dist clean

all: host win32 win64

deps:
	@scripts/deps.sh

host: deps
	cmake -S . -B $(BUILD)/host -DCMAKE_BUILD_TYPE=Debug >/dev/null
	cmake --build $(BUILD)/host -j$(JOBS)

asan: deps
	cmake -S . -B $(BUILD)/asan -DCMAKE_BUILD_TYPE=Debug \
	  -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer" >/dev/null
	cmake --build $(BUILD)/asan -j$(JOBS)

win32: deps
	cmake -S . -B $(BUILD)/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake $(CMAKE_WIN) >/dev/null
	cmake --build $(BUILD)/win32 -j$(JOBS)

win64: deps
	cmake -S . -B $(BUILD)/win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake $(CMAKE_WIN) >/dev/null
	cmake --build $(BUILD)/win64 -j$(JOBS)

windows: win32 win64

unit: host asan
	cd $(BUILD)/host && ctest --output-on-failure -j$(JOBS)
	cd $(BUILD)/asan && ctest --output-on-failure -j$(JOBS)

e2e: windows
	cd tests/e2e && ORV_BUILD=$(abspath $(BUILD)) $(PYTEST) -q -rs

test: unit e2e

# The end-to-end suite once per Windows version that Wine reports, one line each.
VERSIONS = win95 win98 winxp win10
test-versions: windows
	@status=0; for v in $(VERSIONS); do \
	  log=$(abspath $(BUILD))/e2e/versions-$$v.log; mkdir -p $(abspath $(BUILD))/e2e; \
	  (cd tests/e2e && ORV_WINDOWS=$$v ORV_BUILD=$(abspath $(BUILD)) $(PYTEST) -q -rs >$$log 2>&1) || status=1; \
	  echo "$$v: $$(grep -E '(passed|failed|error)' $$log | tail -n 1 | tr -d '=')"; \
	done; exit $$status

demo: windows
	ORV_BUILD=$(abspath $(BUILD)) /usr/bin/python3 scripts/demo.py

bench: deps windows
	cmake -S . -B $(BUILD)/bench -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build $(BUILD)/bench -j$(JOBS) --target layout_bench
	ORV_BUILD=$(abspath $(BUILD)) /usr/bin/python3 bench/run_bench.py

dist: win32
	setup/make_dist.sh $(BUILD)/win32 $(BUILD)/dist/orvik-windows.zip

clean:
	rm -rf $(BUILD)
