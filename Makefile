# The one entry point: every target first makes sure the machine has what
# it needs, then configures and builds with CMake presets.

PRESET ?= $(if $(CI),ci,default)
BUILD_DIR := build/$(PRESET)
FUZZ_SECONDS ?= 60

PREFIX ?= /usr/local

# librsvg2-bin renders the icon; desktop-file-utils, appstream and file
# check the installed files in the tests; the benchmark times start-up under
# xvfb, watching for the first window through libxcb1-dev.
BUILD_PACKAGES := cmake ninja-build g++ qt6-base-dev libgtest-dev librsvg2-bin \
                  desktop-file-utils appstream file xvfb libxcb1-dev
FUZZ_PACKAGES := cmake ninja-build clang libclang-rt-14-dev
PACKAGE_PACKAGES := $(BUILD_PACKAGES) dpkg-dev lintian

# Installs the missing packages of $(1) as root, or names the command.
define ensure_packages
	@missing=$$(for p in $(1); do \
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
endef

.PHONY: deps build run test sanitize fuzz bench package install clean

deps:
	$(call ensure_packages,$(BUILD_PACKAGES))

build: deps
	cmake --preset $(PRESET)
	cmake --build --preset $(PRESET)

run: build
	$(BUILD_DIR)/app/quillmere

test: build
	ctest --preset $(PRESET) --no-tests=error

# Every test again under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize: deps
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan --no-tests=error

# Each fuzz target for FUZZ_SECONDS; new inputs stay under build/, a
# finding fails the run and is left in build/fuzz-artifacts.
fuzz:
	$(call ensure_packages,$(FUZZ_PACKAGES))
	cmake --preset fuzz
	cmake --build --preset fuzz
	@mkdir -p build/fuzz-artifacts
	@for target in header directory; do \
	  mkdir -p build/fuzz-corpus/$$target; \
	  echo "Fuzzing $$target for $(FUZZ_SECONDS) s"; \
	  build/fuzz/tests/fuzz/$${target}_fuzz -max_total_time=$(FUZZ_SECONDS) -timeout=10 \
	    -print_final_stats=1 -artifact_prefix=build/fuzz-artifacts/$$target- \
	    build/fuzz-corpus/$$target tests/fuzz/corpus/$$target 2>build/fuzz-$$target.log \
	    || { tail -40 build/fuzz-$$target.log; exit 1; }; \
	  grep -E '^stat::number_of_executed_units' build/fuzz-$$target.log; \
	done

# Optimised build; every size in a process of its own, then the targets.
bench: deps
	cmake --preset release
	cmake --build --preset release
	build/release/bench/quillmere-bench

# build/quillmere_<version>_<arch>.deb, checked with lintian.
package:
	$(call ensure_packages,$(PACKAGE_PACKAGES))
	cmake --preset release
	cmake --build --preset release
	cpack --config build/release/CPackConfig.cmake -B build
	lintian --fail-on error build/quillmere_*.deb

# Honours PREFIX and DESTDIR.
install: deps
	cmake --preset release
	cmake --build --preset release
	cmake --install build/release --prefix $(PREFIX)

clean:
	rm -rf build
