# Entry points for players and developers. Each target installs what a fresh
# Debian machine lacks before it builds, so nothing depends on earlier set-up.

BUILD   ?= build
PREFIX  ?= /usr/local
WIN32_BUILD ?= build-win32
WIN64_BUILD ?= build-win64
WEB_BUILD ?= build-web
WEB_OBJ ?= build-wasm
WEB_PORT ?= 8000
JOBS    ?= $(shell nproc)
SUDO    := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

# Debian packages building and running the game need (make run, make build):
# the compiler, Qt and the fonts its labels ask for.
PACKAGES := cmake make g++ pkg-config qt6-base-dev libgl-dev fonts-ipafont-mincho fonts-ipafont-gothic
# Building and checking the Debian package (make package).
PACKAGE_PACKAGES := lintian dpkg-dev desktop-file-utils appstream file
# The tests (make test): GoogleTest and Google Benchmark, a private X display,
# the accessibility bus a screen reader listens on, synthetic input,
# xwininfo to find the window, setxkbmap for a French keyboard, Orca with a window manager, speech and
# gsettings to hear the game as a player does, the packaging tools, with which the install
# tests check the desktop files and the package, and diffoscope, which says
# how two builds of one commit differ where they do; tesseract reads the cards' digits off the screen as a reader does.
TEST_PACKAGES := libgtest-dev libbenchmark-dev xvfb xauth tesseract-ocr \
            dbus at-spi2-core python3-pyatspi gir1.2-atspi-2.0 xdotool x11-utils \
            x11-xkb-utils orca openbox speech-dispatcher speech-dispatcher-espeak-ng espeak-ng \
            libglib2.0-bin dconf-gsettings-backend diffoscope \
            $(PACKAGE_PACKAGES)
# Taking the README's screenshot (make screenshot).
SCREENSHOT_PACKAGES := xvfb xauth xdotool imagemagick
# The cross build of the 32-bit Windows executable (make win32).
WIN32_PACKAGES := cmake make g++-mingw-w64-i686
# The same sources built 64-bit (make win64), for the tests where 32-bit
# Windows programs cannot run.
WIN64_PACKAGES := cmake make g++-mingw-w64-x86-64
# Its tests' packages are installed by tools/wine_packages.sh: Wine, with its
# 32-bit half (wine32:i386) only where this kernel runs 32-bit programs and the
# i386 packages can be installed today.
# The page on WebAssembly (make web): Debian's Emscripten and its optimiser.
WEB_PACKAGES := emscripten binaryen cmake make python3
# Its tests drive the page in Chromium, its main game and the host scenarios
# in Firefox ESR too, and check its download in WebKit (WebKitGTK's
# MiniBrowser through its WebDriver, on a private X display); the labels'
# faces must be installed.
WEB_TEST_PACKAGES := chromium firefox-esr webkit2gtk-driver xvfb xauth fonts-ipafont-mincho fonts-ipafont-gothic
# Emscripten's tools load Debian's JavaScript modules from here, which a
# Node.js not installed by Debian does not search.
WEB_ENV := NODE_PATH=/usr/share/nodejs
# Extra packages for measuring start-up, memory and handler costs.
BENCH_PACKAGES := libbenchmark-dev hyperfine time jq xvfb binutils coreutils
# Extra packages for redrawing the pictures (developers only).
PICTURE_PACKAGES := python3 python3-pil fonts-ipafont-mincho fonts-ipafont-gothic fonts-noto-cjk

# $(call ensure,packages): install whichever of the packages are missing
# (tools/ensure_packages.sh: retried downloads, and a failure names the packages and apt's reason).
define ensure
	@SUDO="$(SUDO)" tools/ensure_packages.sh $(1)
endef

# $(call configure,FOLDER,OPTIONS): a new build folder, or the folder configured
# again, so that it builds the tests and benchmarks whose packages came after it
# was made (make run leaves them out).
define configure
	@if [ -f $(1)/CMakeCache.txt ]; then cmake -S . -B $(1) $(2) >/dev/null; \
	else cmake -S . -B $(1) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(2); fi
endef

.PHONY: all deps test-deps build run test run-browsers run-native run-wine run-sanitizers run-reproducible test-build test-build-asan test-build-win32 test-build-web install package reproducible screenshot bench pictures clean \
        win32 win64 win32-test-deps test-win32 screenshot-win32 web run-web test-web bench-web audit-web

all: build

deps:
	$(call ensure,$(PACKAGES))

test-deps: deps
	$(call ensure,$(TEST_PACKAGES))

build: deps
	@[ -f $(BUILD)/CMakeCache.txt ] || cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/poromea

# Each runner of make test, written once: the test builds' ctest, the Windows
# executable's tests under Wine, the page's in the browsers (two files at a time:
# Firefox's file beside the others). Each prints its own closing count.
RUN_NATIVE := cd $(BUILD) && ctest --output-on-failure --no-tests=error -j $(JOBS)
RUN_ASAN   := cd $(BUILD)-asan && ctest --output-on-failure --no-tests=error -j $(JOBS)
RUN_WIN32  := tests/win32/run_wine_tests.sh $(WIN32_BUILD) $(WIN64_BUILD)
RUN_WEB    := cd tests/web && POROMEA_WEB=$(CURDIR)/$(WEB_BUILD) POROMEA_SCENARIOS=$(CURDIR)/$(BUILD)/tests/web/web_scenarios node --test --test-concurrency=$(JOBS)

# Every test: builds everything first (the tests, again with AddressSanitizer,
# UndefinedBehaviorSanitizer and leak detection, the Windows executable, the
# page), and builds the package and the executable again elsewhere to compare
# (make reproducible: building, it would slow the timed tests beside it). Then
# it runs the four runners side by side, the longest first, one more at a time
# than the machine has cores (most of their tests wait on a window, a browser
# or a voice more than they compute). make's own output sync prints each
# runner's output whole as it ends, its own count last; -k lets every runner
# finish. A build without a single test fails (a test package missing).
test: test-build test-build-asan test-build-win32 test-build-web
	@$(MAKE) --no-print-directory run-reproducible; status=$$?; \
	$(MAKE) --no-print-directory -k -O -j $$(($(JOBS) + 1)) run-browsers run-native run-wine run-sanitizers || status=1; \
	[ $$status = 0 ] && echo "make test: the five runners passed"

run-browsers: ; @echo "== browsers"; $(RUN_WEB)
run-native: ; @echo "== ctest native"; $(RUN_NATIVE)
run-wine: ; @echo "== Wine"; $(RUN_WIN32)
run-sanitizers: ; @echo "== ctest sanitizers"; $(RUN_ASAN)
run-reproducible:
	@echo "== reproducible"; $(MAKE) --no-print-directory package win32 >$(BUILD)/package.log 2>&1 \
	    || { tail -n 40 $(BUILD)/package.log; echo "reproducible: 0 passed, 1 failed"; exit 1; }
	@tests/install/reproducible.sh . $(BUILD) $(WIN32_BUILD)

test-build: test-deps
	$(call configure,$(BUILD))
	cmake --build $(BUILD) -j $(JOBS)

test-build-asan: test-deps
	$(call configure,$(BUILD)-asan,-DPOROMEA_SANITIZE=ON)
	cmake --build $(BUILD)-asan -j $(JOBS)

# The game, its menu entry, icons, AppStream data and manual page under
# $(PREFIX); the executable goes to $(PREFIX)/games, as Debian does for games.
install: build
	$(SUDO) cmake --install $(BUILD) --prefix $(PREFIX)

# The Debian package, $(BUILD)/poromea_<version>_<arch>.deb, for /usr,
# checked by lintian. Packed under umask 022, as dpkg-buildpackage packs, since
# cpack writes the files it makes with the umask's modes into the archive.
package: build
	$(call ensure,$(PACKAGE_PACKAGES))
	cd $(BUILD) && umask 022 && cpack && lintian --fail-on error poromea_*.deb

# The package and the Windows executable built again from a copy of the
# sources elsewhere, and compared byte for byte (tests/install/reproducible.sh).
# diffoscope says what differs where they do.
reproducible: package win32
	$(call ensure,diffoscope)
	tests/install/reproducible.sh . $(BUILD) $(WIN32_BUILD)

# The README's picture of the game in play, docs/screenshot.png.
screenshot: build
	$(call ensure,$(SCREENSHOT_PACKAGES))
	tools/screenshot.sh $(BUILD)/poromea docs/screenshot.png

# The native 32-bit Windows executable, $(WIN32_BUILD)/poromea.exe.
win32:
	$(call ensure,$(WIN32_PACKAGES))
	@[ -f $(WIN32_BUILD)/CMakeCache.txt ] || cmake -S . -B $(WIN32_BUILD) \
	    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=MinSizeRel
	cmake --build $(WIN32_BUILD) -j $(JOBS)

# The same sources as a 64-bit Windows build, $(WIN64_BUILD)/; it does not ship.
# test-win32 builds it only where 32-bit Windows programs cannot run.
win64:
	$(call ensure,$(WIN64_PACKAGES))
	@[ -f $(WIN64_BUILD)/CMakeCache.txt ] || cmake -S . -B $(WIN64_BUILD) \
	    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=MinSizeRel
	cmake --build $(WIN64_BUILD) -j $(JOBS)

# Wine, and which build its tests run on ($(WIN32_BUILD)/wine-way): the 32-bit
# one where wine32 can be installed and run, else the 64-bit one.
win32-test-deps:
	@SUDO="$(SUDO)" tools/wine_packages.sh $(WIN32_BUILD)/wine-way

# The Windows executable's tests: its resources, then the real windows under
# Wine, in a copy of a prefix made once for the build (tests/win32/prepare_wine.sh);
# where 32-bit Windows programs cannot run, the same tests built 64-bit
# (make win64) under wine64. POROMEA_WINE_ARCH=64 takes that way anywhere.
test-build-win32: win32 win32-test-deps
	@MAKE="$(MAKE)" tests/win32/prepare_wine.sh $(WIN32_BUILD) $(WIN64_BUILD)

test-win32: test-build-win32
	$(RUN_WIN32)

# Screenshots of both windows and the message box under Wine, into
# $(WIN32_BUILD)/screenshots, and where the controls landed on the screen.
screenshot-win32: win32 win32-test-deps
	$(call ensure,imagemagick x11-utils python3-pil)
	tools/screenshot_win32.sh $(WIN32_BUILD) $(WIN32_BUILD)/screenshots

# The page, $(WEB_BUILD)/: index.html (the main window written in),
# poromea.js, poromea.wasm (the pictures compiled in), the icon, the app's
# manifest and icons, the service worker sw.js. The CMake build tree is $(WEB_OBJ)/.
web:
	$(call ensure,$(WEB_PACKAGES))
	@[ -f $(WEB_OBJ)/CMakeCache.txt ] || $(WEB_ENV) emcmake cmake -S . -B $(WEB_OBJ) \
	    -DCMAKE_BUILD_TYPE=MinSizeRel -DPOROMEA_WEB_DIR=$(CURDIR)/$(WEB_BUILD)
	$(WEB_ENV) cmake --build $(WEB_OBJ) -j $(JOBS)

# Serves the page on this machine only; open the address it prints.
run-web: web
	@echo "ポロメア: http://127.0.0.1:$(WEB_PORT)/  (Ctrl+C to stop)"
	/usr/bin/python3 -m http.server --bind 127.0.0.1 $(WEB_PORT) --directory $(WEB_BUILD)

# The page driven in headless Chromium with real input (tests/web); the host
# scenarios are played by web_scenarios, built natively with the other tests.
test-build-web: web test-build
	$(call ensure,$(WEB_TEST_PACKAGES))
	cd tests/web && { [ node_modules/.package-lock.json -nt package-lock.json ] || npm ci --no-audit --no-fund --loglevel=error; }

test-web: test-build-web
	$(RUN_WEB)

# The page's size, start-up and handler times in headless Chromium (bench/web.mjs),
# with the browser driver the page's tests install.
bench-web: web
	$(call ensure,$(WEB_TEST_PACKAGES))
	cd tests/web && npm ci --no-audit --no-fund --loglevel=error
	node bench/web.mjs $(WEB_BUILD)

# Lighthouse's audit of the page as a phone sees it (its mobile preset), in
# headless Chromium, served on this machine: the four categories' scores
# (bench/audit/audit.mjs; Lighthouse is pinned in its own lock there, which the tests do not install).
audit-web: web
	$(call ensure,$(WEB_TEST_PACKAGES))
	cd bench/audit && npm ci --no-audit --no-fund --loglevel=error
	cd bench/audit && node audit.mjs $(CURDIR)/$(WEB_BUILD)

# Start-up and memory against an empty Qt window, and the handlers' costs.
# Takes a few minutes; not part of `make test`.
bench: deps
	$(call ensure,$(BENCH_PACKAGES))
	$(call configure,$(BUILD))
	cmake --build $(BUILD) -j $(JOBS)
	bench/run.sh $(BUILD)

# Redraws every built-in picture into ui/pictures/ (the results are committed).
pictures:
	$(call ensure,$(PICTURE_PACKAGES))
	/usr/bin/python3 tools/draw_pictures.py ui/pictures

clean:
	rm -rf $(BUILD) $(BUILD)-asan $(WIN32_BUILD) $(WIN64_BUILD) $(WEB_BUILD) $(WEB_OBJ)
