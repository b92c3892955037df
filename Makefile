# The one entry point: every target first makes sure the machine has what
# it needs, then configures and builds with CMake presets.

PRESET ?= $(if $(CI),ci,default)
BUILD_DIR := build/$(PRESET)
FUZZ_SECONDS ?= 60

PREFIX ?= /usr/local

# quillmere-dir --serve runs C-Kermit; its tests join it to their clients
# through a pseudo-terminal pair made by socat. libudev tells which serial
# devices are present, and what each is.
KERMIT_PACKAGES := ckermit socat libudev-dev
# librsvg2-bin renders the icon; desktop-file-utils, appstream, file and
# mandoc check the installed files in the tests; xdg-utils asks, as a
# desktop does, which program opens a folder; xvfb, xauth, dbus-x11,
# at-spi2-core and python3-pyatspi let a test read the running window's
# accessibility tree; the benchmark times start-up under xvfb, watching for
# the first window through libxcb1-dev.
BUILD_PACKAGES := cmake ninja-build g++ qt6-base-dev libgtest-dev librsvg2-bin \
                  desktop-file-utils appstream file mandoc xdg-utils libxcb1-dev \
                  xvfb xauth dbus dbus-x11 at-spi2-core python3-pyatspi $(KERMIT_PACKAGES)
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

.PHONY: deps build run test test-as-nobody sanitize fuzz bench package install uninstall format sweep clean

deps:
	$(call ensure_packages,$(BUILD_PACKAGES))

build: deps
	cmake --preset $(PRESET)
	cmake --build --preset $(PRESET)

# Opens on the build's copy of docs/sample, which "Create DIR" may write into.
run: build
	$(BUILD_DIR)/app/quillmere $(BUILD_DIR)/sample

test: build
	ctest --preset $(PRESET) --no-tests=error

# Every test again as nobody, for a root who runs the tests (as CI does): a
# test that passes only for root hides what every user meets. The build
# folder is lent to nobody for the run and given back.
AS_NOBODY := setpriv --reuid=nobody --regid=nogroup --clear-groups env HOME=/tmp
test-as-nobody: build
	@owner=$$(stat -c %u:%g $(BUILD_DIR)); chown -R nobody:nogroup $(BUILD_DIR); \
	if ! $(AS_NOBODY) test -x $(CURDIR)/$(BUILD_DIR); then \
	  echo "Not run as nobody: $(CURDIR) is out of reach of other users."; status=0; \
	else \
	  $(AS_NOBODY) ctest --preset $(PRESET) --no-tests=error; status=$$?; \
	fi; \
	chown -R $$owner $(BUILD_DIR); exit $$status

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
	@for target in header directory serve_script; do \
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

# Honours PREFIX and DESTDIR. The default PREFIX needs root: sudo make install.
install: deps
	cmake --preset release
	cmake --build --preset release
	cmake --install build/release --prefix $(PREFIX)

# Removes the files that the last `make install` wrote, as CMake listed them
# (without DESTDIR, so give the same DESTDIR again), and the documentation
# folder it made; nothing else.
INSTALL_MANIFEST ?= build/release/install_manifest.txt
uninstall:
	@test -f $(INSTALL_MANIFEST) || { echo "Nothing to uninstall: $(INSTALL_MANIFEST) is missing."; exit 1; }
	sed 's|^|$(DESTDIR)|' $(INSTALL_MANIFEST) | xargs -d '\n' rm -f --
	sed -n 's|^\(.*/doc/quillmere\)/.*|$(DESTDIR)\1|p' $(INSTALL_MANIFEST) | sort -u | \
	  xargs -d '\n' -r rmdir --ignore-fail-on-non-empty --
	rm -f $(INSTALL_MANIFEST)

# Every C++ file in the style of .clang-format.
format:
	$(call ensure_packages,clang-format)
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build

# Each deliberate break of tools/sweep/breaks.txt in turn: the tests must
# catch every one. Restores every file it touches.
sweep: build
	tools/sweep/run.sh . $(PRESET)
