# Entry points for players and developers. Each target installs what a fresh
# Debian machine lacks before it builds, so nothing depends on earlier set-up.

BUILD   ?= build
JOBS    ?= $(shell nproc)
SUDO    := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

# Debian packages the build, the game and the tests need.
PACKAGES := cmake make g++ pkg-config libgtest-dev libbenchmark-dev qt6-base-dev libgl-dev \
            fonts-ipafont-mincho fonts-ipafont-gothic xvfb xauth valgrind
# Extra packages for measuring start-up, memory and handler costs.
BENCH_PACKAGES := libbenchmark-dev hyperfine time jq xvfb binutils coreutils
# Extra packages for redrawing the pictures (developers only).
PICTURE_PACKAGES := python3 python3-pil fonts-ipafont-mincho fonts-ipafont-gothic fonts-noto-cjk

# $(call ensure,packages): install whichever of the packages are missing.
define ensure
	@missing=$$(for p in $(1); do \
	    dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	    echo "Installing:" $$missing; \
	    $(SUDO) apt-get update -qq && \
	    DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends $$missing; \
	fi
endef

.PHONY: all deps build run test bench pictures clean

all: build

deps:
	$(call ensure,$(PACKAGES))

build: deps
	@[ -f $(BUILD)/CMakeCache.txt ] || cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/poromea

# Every test, then every test again in a build with AddressSanitizer,
# UndefinedBehaviorSanitizer and leak detection.
test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	@[ -f $(BUILD)-asan/CMakeCache.txt ] || \
	    cmake -S . -B $(BUILD)-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPOROMEA_SANITIZE=ON
	cmake --build $(BUILD)-asan -j $(JOBS)
	cd $(BUILD)-asan && ctest --output-on-failure -j $(JOBS)

# Start-up and memory against an empty Qt window, and the handlers' costs.
# Takes a few minutes; not part of `make test`.
bench: build
	$(call ensure,$(BENCH_PACKAGES))
	bench/run.sh $(BUILD)

# Redraws every built-in picture into ui/pictures/ (the results are committed).
pictures:
	$(call ensure,$(PICTURE_PACKAGES))
	/usr/bin/python3 tools/draw_pictures.py ui/pictures

clean:
	rm -rf $(BUILD) $(BUILD)-asan
