# The two commands of the README, and the steps they use. Everything goes through the CMake presets.
PRESET ?= dev
DEMO_DIR ?= $(CURDIR)/demo-run

.PHONY: all deps configure build test fuzz ci demo bench format clean

all: build

deps:
	@tools/install-deps.sh

configure: deps
	cmake --preset $(PRESET)

build: configure
	cmake --build --preset $(PRESET)

test: build
	tools/run-tests.sh $(PRESET)

# the libFuzzer targets (clang), each run FUZZ_SECONDS from its seed corpus after its kept crash inputs
FUZZ_SECONDS ?= 25
fuzz: deps
	tools/run-fuzz.sh $(FUZZ_SECONDS)

# what CI runs: the suite on the normal build and under the address and undefined-behaviour sanitizers,
# then the fuzz targets; each step's time is printed
ci: deps
	tools/run-ci.sh

demo: build
	tools/run-demo.sh build/$(PRESET)/src/gui/Varnholt "$(DEMO_DIR)"

bench: build
	tools/run-bench.sh build/$(PRESET)/bench

format:
	cmake --build --preset $(PRESET) --target format

clean:
	rm -rf build demo-run
