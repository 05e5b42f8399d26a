# Front door for the two everyday commands:
#   make run    installs what is missing, builds and starts Mobivert
#   make test   installs what is missing, builds and runs the whole test suite
#   make test-busy   the same suite with the machine saturated by busy loops
#                    (BUSY_LOOPS=4, ROUNDS=1): it must pass whatever the load
#   make test-asan   the same suite built with the address and undefined-behaviour sanitizers
#   make deb    the Debian package, build/mobivert_<version>_amd64.deb
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all setup configure build run test test-busy test-asan fuzz bench deb clean

all: build

setup:
	@scripts/setup.sh

configure: setup
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@scripts/run.sh $(BUILD)

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS) --timeout 1200

test-busy: build
	@JOBS=$(JOBS) scripts/test-busy.sh $(BUILD)

# The whole test suite built with AddressSanitizer and UndefinedBehaviorSanitizer
# (CMakePresets.json, preset "asan", built in build-asan/).
test-asan: setup
	@cmake --preset asan >/dev/null
	@cmake --build --preset asan -j $(JOBS)
	@ctest --preset asan -j $(JOBS)

# Every fuzz target for FUZZ_SECONDS seconds.
FUZZ_SECONDS ?= 600
fuzz: build
	@cd $(BUILD) && MOBIVERT_FUZZ_SECONDS=$(FUZZ_SECONDS) ctest -L fuzz --output-on-failure \
		-j $(JOBS) --timeout $$(($(FUZZ_SECONDS) + 600))

deb: build
	@cd $(BUILD) && cpack -G DEB

bench: build
	@$(BUILD)/bench/mobivert-bench

clean:
	rm -rf $(BUILD)
