# Entry points; CMake does the building. Both targets install missing Debian
# packages first, so they work on a fresh machine.
BUILD ?= build
JOBS ?= $(shell nproc)
PREFIX ?= /usr/local

.PHONY: help deps configure build demo check install uninstall accuracy bench clean

# The default: what there is to make.
help:
	@echo "make demo      install missing Debian packages, build the library and the csqrt tool, show both functions"
	@echo "make check     install missing Debian packages, build, run the test suite"
	@echo "make install   build and install the library, header, CMake and pkg-config files, csqrt, the manual and the Python module (PREFIX=$(PREFIX))"
	@echo "make uninstall remove what make install put under PREFIX"
	@echo "make accuracy  csqrt_scalar and cr_csqrt_scalar against MPC beside the system csqrt, and the picture ($(BUILD)/accuracy.png)"
	@echo "make bench     throughput and latency against the system csqrt, then the array function's time per element"
	@echo "make deps      only install the missing Debian packages (tools/install-deps.sh)"
	@echo "make clean     remove $(BUILD)"

deps:
	@tools/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

# Both functions through the csqrt tool; builds the library and the tool only.
demo: configure
	@cmake --build $(BUILD) -j $(JOBS) --target csqrt
	@tools/demo.sh $(BUILD)/tools/csqrt

# Builds what the install rules copy (both libraries, the tool, the Python
# module where it is built: the target ravo_installables), and installs it.
# The prefix is tried first, so that one the user cannot write to stops
# here with the system's own message, before anything is removed or copied.
install: configure
	@cmake --build $(BUILD) -j $(JOBS) --target ravo_installables
	@mkdir -p "$(PREFIX)" && probe="$(PREFIX)/.ravo_libm-install-$$$$" && : > "$$probe" && rm -f "$$probe"
	@cmake --install $(BUILD) --prefix "$(PREFIX)"

# Removes the files the last make install listed under PREFIX.
uninstall:
	@cmake -DRAVO_PREFIX="$(PREFIX)" -P cmake/RemoveInstalledFiles.cmake

# Builds and passes the test suite.
check: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# Accuracy against MPC, beside the system csqrt (10^6 samples per class),
# and the picture of the largest error over the plane.
accuracy: build
	@$(BUILD)/tools/csqrt-accuracy --samples 1000000 --round all --plane-csv $(BUILD)/accuracy-plane.csv
	@tools/accuracy/plot_accuracy.py $(BUILD)/accuracy-plane.csv $(BUILD)/accuracy.png
	@echo "picture: $(BUILD)/accuracy.png"

# Throughput and latency against the system csqrt; ends with a ratio table.
bench: configure
	@cmake -S . -B $(BUILD) -DRAVO_BUILD_BENCHMARKS=ON >/dev/null
	@cmake --build $(BUILD) -j $(JOBS) --target csqrt_bench csqrt_batch_bench
	@$(BUILD)/bench/csqrt_bench --benchmark_min_time=0.2 --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
	@$(BUILD)/bench/csqrt_batch_bench --benchmark_min_time=0.2 --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

clean:
	rm -rf $(BUILD)
