# Front door to the CMake builds. `make demo` and `make test` set up all
# they need on a fresh Debian 12 machine (as root), Debian packages included.
#
#   make          host cores and unit tests, and the Windows programs (32- and 64-bit)
#   make demo     the agent on a private desktop, driven by orvprobe
#   make test     unit tests (plain, under ASan/UBSan and under valgrind), a replay of
#                 the fuzz corpus, the shipped programs' PE check, and end-to-end tests under Wine
#   make test-versions  the end-to-end tests under Windows 95, 98, XP and 10 (as Wine reports them)
#   make fuzz     each fuzz target for FUZZ_SECONDS (default 60)
#   make bench    benchmarks (not part of make test)
#   make soak     the benchmark's soak alone: GDI objects and memory over rounds of every event
#   make dist     a zip for Windows users and its SHA-256

BUILD ?= build
JOBS ?= 2
CMAKE_WIN = -DCMAKE_BUILD_TYPE=Release
PYTEST = /usr/bin/python3 -m pytest
FUZZ_SECONDS ?= 60
FUZZ_TARGETS = capture print_names layout dialog install_path
FUZZ_BIN = $(BUILD)/fuzz/tests/fuzz

.PHONY: all deps host asan win32 win64 windows unit valgrind fuzz-build fuzz-replay fuzz binaries e2e test test-versions demo bench soak dist clean

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

# The unit tests under memcheck: no memory error, no definite or indirect leak.
valgrind: host
	valgrind -q --leak-check=full --errors-for-leak-kinds=definite,indirect --error-exitcode=1 \
	  $(BUILD)/host/tests/unit/unit_tests --gtest_brief=1

# libFuzzer targets (clang, ASan, UBSan) in a build of their own.
fuzz-build: deps
	cmake -S . -B $(BUILD)/fuzz -DORV_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ >/dev/null
	cmake --build $(BUILD)/fuzz -j$(JOBS)

# Every checked-in input once, without fuzzing: a crash found once stays found.
fuzz-replay: fuzz-build
	@for t in $(FUZZ_TARGETS); do \
	  $(FUZZ_BIN)/fuzz_$$t tests/fuzz/corpus/$$t/* > $(BUILD)/fuzz/replay_$$t.log 2>&1 \
	    || { cat $(BUILD)/fuzz/replay_$$t.log; echo "fuzz replay failed: $$t"; exit 1; }; \
	  echo "fuzz replay $$t: $$(ls tests/fuzz/corpus/$$t | wc -l) inputs"; \
	done

# New inputs go to $(BUILD)/fuzz/corpus, crashes to $(BUILD)/fuzz/crashes.
fuzz: fuzz-build
	@for t in $(FUZZ_TARGETS); do \
	  mkdir -p $(BUILD)/fuzz/corpus/$$t $(BUILD)/fuzz/crashes; \
	  $(FUZZ_BIN)/fuzz_$$t -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	    -artifact_prefix=$(BUILD)/fuzz/crashes/$$t- $(BUILD)/fuzz/corpus/$$t tests/fuzz/corpus/$$t || exit 1; \
	done

# The 32-bit programs as files: machine, Windows 4.0 GUI header, imports
# against tests/binary/*.imports, version resource, no build time; and the
# zip as made. Runs no Windows code.
binaries: dist
	cd tests/binary && ORV_BUILD=$(abspath $(BUILD)) $(PYTEST) -q

e2e: windows
	cd tests/e2e && ORV_BUILD=$(abspath $(BUILD)) $(PYTEST) -q -rs

test: unit valgrind fuzz-replay binaries e2e

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

soak: deps windows
	ORV_BUILD=$(abspath $(BUILD)) /usr/bin/python3 bench/soak.py

# orvik-windows-VERSION.zip and its .sha256, VERSION from common/version.h.
dist: win32
	/usr/bin/python3 release/make_dist.py $(BUILD)/win32 $(BUILD)/dist

clean:
	rm -rf $(BUILD)
