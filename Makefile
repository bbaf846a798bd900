# Entry points; CMake does the building. Both targets install missing Debian
# packages first, so they work on a fresh machine.
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: deps configure build demo check clean

deps:
	@tools/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

# The main job: the csqrt tool on a handful of arguments.
demo: build
	@tools/demo.sh $(BUILD)/tools/csqrt

# Builds and passes the test suite.
check: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD)
