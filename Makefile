# The two set-up commands: `make run` and `make test`. `make run` installs only what building
# and running need; the targets that check or package the install bring what they need.
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: run test build programs configure deps sanitize fuzz package clean

deps:
	scripts/install-deps

# The builds made here carry line tables only (-g1): enough for a backtrace and a sanitizer's
# report, and a quarter less compile time than full debug information. For a debugger that
# shows variables, configure a build of your own with plain cmake.
LINE_TABLES = -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" \
	-DCMAKE_C_FLAGS_DEBUG=-g1 -DCMAKE_CXX_FLAGS_DEBUG=-g1

configure: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(LINE_TABLES)

# Everything: the programs, the tests and the benchmarks.
build: configure
	cmake --build $(BUILD) -j $(JOBS)

# The three programs alone, so a first `make run` does not wait for the tests to build.
programs: configure
	cmake --build $(BUILD) -j $(JOBS) --target kestralux kestralux-sim kestralux-tool

# ctest runs the check of the installed tree too, which needs its validators, and the
# end-to-end suites over PipeWire as well as over jackd.
test: build
	scripts/install-deps --install-check
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The .deb, in $(BUILD): apt install ./$(BUILD)/kestralux_*.deb
package: build
	scripts/install-deps --package
	cd $(BUILD) && cpack -G DEB

run: programs
	scripts/run-editor $(BUILD)

# The tests under the address and undefined-behaviour sanitizers. A report of either fails
# the test that made it: the build does not recover from one and the run halts at the first.
# The benchmarks give figures, not a verdict, and figures under a sanitizer mean nothing.
SANITIZER_OPTIONS = ASAN_OPTIONS=halt_on_error=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
sanitize: deps
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DKESTRALUX_SANITIZE=ON -DKESTRALUX_BENCHMARKS=OFF $(LINE_TABLES)
	cmake --build build-asan -j $(JOBS)
	scripts/install-deps --install-check
	cd build-asan && $(SANITIZER_OPTIONS) ctest --output-on-failure -j $(JOBS) -LE bench

# The fuzz targets with clang and libFuzzer, each run for FUZZ_SECONDS from the saved inputs
# in fuzz/corpus/ (new finds go to build-fuzz/corpus/, crashes to build-fuzz/).
FUZZ_SECONDS ?= 150
FUZZ_TARGETS = received_messages preset_files syx combo_config
fuzz: deps
	scripts/install-deps --fuzz
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTRALUX_FUZZ=ON
	cmake --build build-fuzz -j $(JOBS) --target $(addprefix fuzz_,$(FUZZ_TARGETS))
	for t in $(FUZZ_TARGETS); do \
	  mkdir -p build-fuzz/corpus/$$t && \
	  (cd build-fuzz && ./fuzz/fuzz_$$t -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	     corpus/$$t ../fuzz/corpus/$$t) || exit 1; \
	done

clean:
	rm -rf $(BUILD) build-asan build-fuzz
