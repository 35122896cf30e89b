# The two commands: `make run` and `make test`. Both install what is missing first.
BUILD ?= build
SAN_BUILD ?= build-san
FUZZ_BUILD ?= build-fuzz
MUTATE_BUILD ?= build-mutate
FUZZ_SECONDS ?= 600
FUZZ_TARGETS ?= load_patch_fuzzer apply_fuzzer writer_fuzzer cue_sheet_fuzzer
CMAKE_FLAGS ?=
ARGS ?=
# make install: where the programs go; DESTDIR stages the tree elsewhere.
PREFIX ?= /usr/local
DESTDIR ?=
ifneq ($(CI),)
CMAKE_FLAGS += -DMENDRIX_WERROR=ON
endif

.PHONY: deps configure build test sanitize tidy fuzz run clean bench bench-quick install uninstall package mutate

# The packages each task adds to building and testing (scripts/install-deps).
DEPS_FOR ?=
tidy: DEPS_FOR = --tidy
fuzz: DEPS_FOR = --fuzz
bench bench-quick: DEPS_FOR = --bench
package: DEPS_FOR = --package
# Before anything of make package: refused where what it builds would belong
# to another user than the tree's owner (packaging/check-owner says what to do).
package: OWNER_CHECK = packaging/check-owner . dist $(BUILD)

deps:
	@$(OWNER_CHECK)
	@scripts/install-deps $(DEPS_FOR)

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD)

# Every test; then the reason of each skipped test, which ctest does not show.
test: build
	@cd $(BUILD) && ctest --output-on-failure -j2 --output-junit ctest-results.xml; status=$$?; \
		$(CURDIR)/scripts/skip-reasons ctest-results.xml; exit $$status

# Starts the desktop program; `make run ARGS=patch.kdx` hands it a patch.
run: build
	@$(BUILD)/bin/mendrix $(ARGS)

# The whole suite built and run again under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize: deps
	@cmake -S . -B $(SAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DMENDRIX_SANITIZE=ON $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(SAN_BUILD)
	@cd $(SAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j2

# clang-tidy over kdx/, commands/ and desktop/ with the checked-in .clang-tidy: any warning fails.
tidy: configure
	@run-clang-tidy-14 -p $(BUILD) -quiet -j2 '$(CURDIR)/(kdx|commands|desktop)/.*\.cpp$$' >$(BUILD)/tidy.log 2>&1 || \
		{ grep -E -A3 'warning:|error:' $(BUILD)/tidy.log; echo "tidy: kdx/, commands/ or desktop/ has findings"; exit 1; }
	@echo "tidy: kdx/, commands/ and desktop/ clean"

# Each libFuzzer target for FUZZ_SECONDS on its corpus (clang, ASan + UBSan).
fuzz: deps
	@cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DMENDRIX_FUZZ=ON >/dev/null
	@cmake --build $(FUZZ_BUILD)
	@scripts/run-fuzzers $(FUZZ_BUILD) $(FUZZ_SECONDS) $(FUZZ_TARGETS)

# Plants each fault of tests/mutate-faults in a copy of the tree (in MUTATE_BUILD)
# and runs the tests that could see it; prints a table and the score.
# FAULTS="name ..." plants only those.
mutate: deps
	@scripts/mutate --work $(MUTATE_BUILD) $(FAULTS)

# The benchmark (bench/RESULTS.md): every workload at full size, timed, its
# figures written into bench/RESULTS.md. bench-quick: ten times smaller, results checked.
bench: build
	@$(BUILD)/bin/mendrix-bench --results bench/RESULTS.md $(BENCH_ARGS)

bench-quick: build
	@$(BUILD)/bin/mendrix-bench --quick $(BENCH_ARGS)

# The programs, their desktop files, icons, man pages and docs under PREFIX;
# the list of what was written is kept for `make uninstall`.
install: build
	@DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"
	@sed 's|^|$(DESTDIR)|' $(BUILD)/install_manifest.txt >$(BUILD)/installed-files.txt

uninstall:
	@cmake -DMANIFEST=$(BUILD)/installed-files.txt -P packaging/Uninstall.cmake

# dist/mendrix_<version>_<arch>.deb, then its check (lintian, hardening-check).
package: build
	@cd $(BUILD) && cpack --config CPackConfig.cmake
	@rm -rf dist/_CPack_Packages
	@cd $(BUILD) && ctest --output-on-failure -R '^package$$'

clean:
	rm -rf $(BUILD) $(SAN_BUILD) $(FUZZ_BUILD) $(MUTATE_BUILD)

# Windows: mendrix.exe and mendrix-cli.exe cross-built with mingw-w64, and
# the target's tests run under Wine in a prefix of the build's own.
WIN_BUILD ?= build-win

.PHONY: windows-deps windows test-windows dist-windows screenshot-windows

windows-deps:
	@scripts/install-deps --windows
	@scripts/build-windows-deps $(WIN_BUILD)

windows: windows-deps
	@cmake -S . -B $(WIN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release \
		-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
		-DMENDRIX_HOST_CLI=$(CURDIR)/$(BUILD)/bin/mendrix-cli \
		$(CMAKE_FLAGS) >/dev/null
	@cmake --build $(WIN_BUILD)

# The Linux build too: mendrix-cli.exe is compared with the Linux mendrix-cli.
test-windows: windows build
	@scripts/wine-run $(WIN_BUILD) cmd /c exit
	@cd $(WIN_BUILD) && ctest --output-on-failure -j2

# dist/mendrix-<version>-windows-x64.msi (the installer, built with the
# programs) and .zip: both programs stripped, README.txt, LICENSE.txt and
# THIRD-PARTY.txt; then the zip's check.
dist-windows: windows
	@rm -rf $(WIN_BUILD)/cpack
	@cd $(WIN_BUILD) && cpack -G ZIP -B $(CURDIR)/$(WIN_BUILD)/cpack >/dev/null
	@mkdir -p dist && cp $(WIN_BUILD)/cpack/*.zip $(WIN_BUILD)/dist/*-windows-x64.msi dist/
	@cd $(WIN_BUILD) && ctest --output-on-failure -R '^windows_zip$$'
	@ls dist/*-windows-x64.*

# docs/mendrix-windows.png and docs/mendrix-windows-about.png under Xvfb and Wine.
screenshot-windows: windows
	@scripts/screenshot-windows
