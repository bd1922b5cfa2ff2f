# Every target installs what is missing first, so each works on a fresh
# Debian machine.
BUILD ?= build
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 20
EXE := $(BUILD)/app/tarnwick
INI := $(BUILD)/app/Tarnwick.ini

.PHONY: all deps build run test package bench fuzz windows windows-gtest windows-build windows-nogui windows-package \
	format clean

all: build

deps:
	scripts/install-deps

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j $(JOBS)

# A first run from the build tree gets settings that name the example base
# file and a tail file in the build folder.
run: build
	@test -f $(INI) || printf '[FILES]\nDEST=%s\nSOURCE=%s\nNoMsg=OF\nNoStop=OF\n' \
		"$(abspath $(BUILD))/Vellicor.TXT" "$(abspath examples/MailBase.TXT)" > $(INI)
	$(EXE)

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# The Debian package: $(PACKAGE_BUILD)/tarnwick_<version>_<arch>.deb. Built
# for /usr, so the window module goes to the multiarch library folder; in a
# folder of its own, so that an install from $(BUILD) never writes over the
# files the package owns.
PACKAGE_BUILD ?= build-package
package: deps
	scripts/install-deps --package
	cmake -S . -B $(PACKAGE_BUILD) -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DTARNWICK_TESTS=OFF
	cmake --build $(PACKAGE_BUILD) -j $(JOBS)
	cd $(PACKAGE_BUILD) && cpack

bench:
	scripts/install-deps --extra
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DTARNWICK_BENCH=ON -DTARNWICK_TESTS=OFF
	cmake --build build-bench -j $(JOBS) --target tarnwick tarnwick_bench empty_window label_window
	bench/run build-bench

fuzz:
	scripts/install-deps --extra
	CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARNWICK_GUI=OFF \
		-DTARNWICK_TESTS=OFF -DTARNWICK_FUZZ=ON
	cmake --build build-fuzz -j $(JOBS) --target tarnwick_fuzz
	fuzz/run build-fuzz $(FUZZ_SECONDS)

# The whole program and its tests cross-built for Windows, the tests run
# under wine in a wine folder of their own, the main window's in a virtual X
# display. Qt for Windows is built once from Debian's qt6-base source and
# cached (scripts/build-qt-windows); GoogleTest is built from the source
# Debian ships, as no MinGW build of either is packaged.
WINDOWS := build-windows
WINDOWS_TOOLCHAIN := $(CURDIR)/cmake/mingw-w64-x86_64.cmake
WINDOWS_GTEST := $(CURDIR)/$(WINDOWS)/googletest-install
VERSION := $(shell sed -n 's/^project.tarnwick VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
WINDOWS_ZIP := $(WINDOWS)/tarnwick-$(VERSION)-windows-x64.zip
windows-gtest windows windows-build windows-nogui windows-package: export WINEPREFIX := $(CURDIR)/$(WINDOWS)/wine
windows-gtest windows windows-build windows-nogui windows-package: export WINEDEBUG := -all
# No offer to install wine's .NET and HTML engines: nothing here needs them.
windows-gtest windows windows-build windows-nogui windows-package: export WINEDLLOVERRIDES := mscoree,mshtml=

windows-gtest:
	scripts/install-deps --windows
	cmake -S /usr/src/googletest -B $(WINDOWS)/googletest -DCMAKE_TOOLCHAIN_FILE=$(WINDOWS_TOOLCHAIN) \
		-DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=$(WINDOWS_GTEST) >/dev/null
	cmake --build $(WINDOWS)/googletest -j $(JOBS)
	cmake --install $(WINDOWS)/googletest >/dev/null
	# The wine folder first: the build lists the tests by running them.
	wineboot --init >/dev/null 2>&1

# Qt's toolchain file finds Qt and hands over to the project's; a build
# folder configured without it (a build without the windows) starts anew.
windows-build: windows-gtest
	qt=$$(scripts/build-qt-windows | tail -n 1) && \
	{ grep -qs qt.toolchain.cmake $(WINDOWS)/CMakeCache.txt || rm -f $(WINDOWS)/CMakeCache.txt; } && \
	cmake -S . -B $(WINDOWS) -DCMAKE_TOOLCHAIN_FILE=$$qt/lib/cmake/Qt6/qt.toolchain.cmake \
		-DQT_CHAINLOAD_TOOLCHAIN_FILE=$(WINDOWS_TOOLCHAIN) -DCMAKE_BUILD_TYPE=Release \
		-DCMAKE_FIND_ROOT_PATH=$(WINDOWS_GTEST) -DGTest_DIR=$(WINDOWS_GTEST)/lib/cmake/GTest
	cmake --build $(WINDOWS) -j $(JOBS)

# Wine now and then drops a program with "recvmsg: Connection reset by
# peer"; a failed test runs once more, so only a fault that comes back fails.
WINE_CTEST := ctest --output-on-failure --repeat until-pass:2 -j $(JOBS)

windows: windows-build
	$(WINE_CTEST) --test-dir $(WINDOWS)

# The same without Qt: what the windows do not need builds and passes alone.
windows-nogui: windows-gtest
	cmake -S . -B $(WINDOWS)-nogui -DCMAKE_TOOLCHAIN_FILE=$(WINDOWS_TOOLCHAIN) -DCMAKE_BUILD_TYPE=Release \
		-DTARNWICK_GUI=OFF -DCMAKE_FIND_ROOT_PATH=$(WINDOWS_GTEST) -DGTest_DIR=$(WINDOWS_GTEST)/lib/cmake/GTest
	cmake --build $(WINDOWS)-nogui -j $(JOBS)
	$(WINE_CTEST) --test-dir $(WINDOWS)-nogui

# The zip for Windows users, then checked in a fresh wine folder.
windows-package: windows-build
	cd $(WINDOWS) && cpack -G ZIP
	scripts/check-windows-package $(WINDOWS_ZIP)

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD) build-bench build-fuzz build-nogui build-asan $(PACKAGE_BUILD) $(WINDOWS) $(WINDOWS)-nogui
