# The two commands of the README, and the steps they use. Everything goes through the CMake presets.
PRESET ?= dev
DEMO_DIR ?= $(CURDIR)/demo-run

.PHONY: all deps configure build test test-asan test-tsan package fuzz ci demo demo-picture bench format clean

all: build

deps:
	@tools/install-deps.sh

configure: deps
	cmake --preset $(PRESET)

build: configure
	cmake --build --preset $(PRESET)

test: build
	tools/run-tests.sh $(PRESET)
	tools/check-package.sh build/$(PRESET)

# the Debian package, build/$(PRESET)/varnholt_<version>_<arch>.deb
package: build
	cmake --build --preset $(PRESET) --target package

# the libFuzzer targets (clang), each run FUZZ_SECONDS from its seed corpus after its kept crash inputs
FUZZ_SECONDS ?= 25
# the whole suite under the address, undefined-behaviour and leak sanitizers
test-asan: deps
	cmake --preset asan
	cmake --build --preset asan
	tools/run-tests.sh asan

# the tests of the work on other threads (the screenshot intake's analyses, the database saves) under the
# thread sanitizer
test-tsan: deps
	cmake --preset tsan
	cmake --build --preset tsan
	tools/run-tests.sh tsan

fuzz: deps
	tools/run-fuzz.sh $(FUZZ_SECONDS)

# what CI runs: the suite and the package check on the normal build, the suite under the address and
# undefined-behaviour sanitizers, then the fuzz targets; each step's time is printed
ci: deps
	tools/run-ci.sh

demo: build
	tools/run-demo.sh build/$(PRESET)/src/gui/Varnholt build/$(PRESET)/tools/sim/varnholt-sim "$(DEMO_DIR)"

demo-picture: build
	tools/demo-picture.sh build/$(PRESET)/src/gui/Varnholt build/$(PRESET)/tools/sim/varnholt-sim docs/demo-window.png

bench: build
	tools/run-bench.sh build/$(PRESET)/bench

format:
	cmake --build --preset $(PRESET) --target format

clean:
	rm -rf build demo-run
