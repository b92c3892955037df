# The one entry point: every target first makes sure the machine has what
# the build needs, then configures and builds with CMake presets.

PRESET ?= $(if $(CI),ci,default)
BUILD_DIR := build/$(PRESET)
PACKAGES := cmake ninja-build g++ qt6-base-dev libgtest-dev

.PHONY: deps build run test clean

deps:
	@missing=$$(for p in $(PACKAGES); do \
	    dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q 'install ok installed' || echo $$p; \
	  done); \
	if [ -n "$$missing" ]; then \
	  if [ "$$(id -u)" -eq 0 ]; then \
	    echo "Installing:" $$missing; \
	    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$missing; \
	  else \
	    echo "Missing packages. Install them with:"; \
	    echo "  sudo apt-get install -y" $$missing; \
	    exit 1; \
	  fi; \
	fi

build: deps
	cmake --preset $(PRESET)
	cmake --build --preset $(PRESET)

run: build
	$(BUILD_DIR)/app/quillmere

test: build
	ctest --preset $(PRESET) --no-tests=error

clean:
	rm -rf build
