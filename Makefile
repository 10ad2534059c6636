# The README's commands. Each installs what is missing first.
BUILD_DIR      ?= build
ASAN_DIR       ?= build-asan
BENCH_DIR      ?= build-bench
FUZZ_DIR       ?= build-fuzz
PACKAGE_DIR    ?= build-package
WINDOWS_DIR    ?= build-windows
FUZZ_SECONDS   ?= 60
JOBS           ?= $(shell nproc)

SANITIZER_ENV = ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:halt_on_error=1 \
                LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
                UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1


.PHONY: all deps build run test test-normal test-asan test-windows bench fuzz package clean

all: build

deps:
	@bash scripts/install-deps.sh

$(BUILD_DIR)/CMakeCache.txt:
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD_DIR)/CMakeCache.txt
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	@bash scripts/run-viewer.sh $(BUILD_DIR)/zu_kirdo

test: deps test-normal test-asan

test-normal: $(BUILD_DIR)/CMakeCache.txt
	cmake --build $(BUILD_DIR) -j $(JOBS)
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

test-asan:
	cmake -S . -B $(ASAN_DIR) -DCMAKE_BUILD_TYPE=Debug -DZU_SANITIZE=ON
	cmake --build $(ASAN_DIR) -j $(JOBS)
	cd $(ASAN_DIR) && QT_QPA_PLATFORM=offscreen $(SANITIZER_ENV) ctest --output-on-failure -j $(JOBS)

# The reader, the core, the text layer and the dump tool cross-built for
# 64-bit Windows with mingw-w64, and their tests run under wine. The code
# page table comes from the native build, whose generator needs ICU.
test-windows: deps $(BUILD_DIR)/CMakeCache.txt
	@bash scripts/install-deps.sh --windows
	cmake --build $(BUILD_DIR) -j $(JOBS) --target zu_cp932
	cmake -S . -B $(WINDOWS_DIR) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release \
	    -DZU_WITH_QT=OFF -DZU_CP932_TABLES=$(CURDIR)/$(BUILD_DIR)/src/text/Cp932Tables.inc
	cmake --build $(WINDOWS_DIR) -j $(JOBS)
	export WINEDEBUG=-all WINEPREFIX=$(CURDIR)/$(WINDOWS_DIR)/wine; \
	  /usr/lib/wine/wine64 wineboot --init >/dev/null 2>&1; \
	  cd $(WINDOWS_DIR) && ctest --output-on-failure -j $(JOBS)

bench: deps
	cmake -S . -B $(BENCH_DIR) -DCMAKE_BUILD_TYPE=Release -DZU_BUILD_BENCH=ON -DZU_BUILD_TESTS=OFF
	cmake --build $(BENCH_DIR) -j $(JOBS)
	@for b in $(BENCH_DIR)/bench/bench_*; do [ -x "$$b" ] && QT_QPA_PLATFORM=offscreen "$$b" || exit 1; done

# The five fuzz targets, one after the other, FUZZ_SECONDS each. New inputs go to
# the build folder; the kept corpus under fuzz/corpus is only read. Slow inputs
# (a whole buffer, ten full logs) are met less often than fast ones. The core
# target keeps its set from input to input, so libFuzzer's per-input leak
# check would flag every input: leaks are left to the replay under make test.
fuzz: deps
	CXX=clang++ cmake -S . -B $(FUZZ_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZU_BUILD_FUZZ=ON \
	    -DZU_BUILD_TESTS=OFF -DZU_BUILD_GUI=OFF
	cmake --build $(FUZZ_DIR) -j $(JOBS) --target fuzz_reader fuzz_core fuzz_source_text fuzz_source_archive fuzz_export
	mkdir -p $(FUZZ_DIR)/corpus/reader $(FUZZ_DIR)/corpus/core $(FUZZ_DIR)/corpus/source_text \
	    $(FUZZ_DIR)/corpus/source_archive $(FUZZ_DIR)/corpus/export
	$(FUZZ_DIR)/fuzz/fuzz_reader -max_total_time=$(FUZZ_SECONDS) -timeout=10 -print_final_stats=1 \
	    -entropic_scale_per_exec_time=1 $(FUZZ_DIR)/corpus/reader fuzz/corpus/reader
	$(FUZZ_DIR)/fuzz/fuzz_core -max_total_time=$(FUZZ_SECONDS) -timeout=10 -print_final_stats=1 \
	    -detect_leaks=0 -entropic_scale_per_exec_time=1 -max_len=4096 \
	    $(FUZZ_DIR)/corpus/core fuzz/corpus/core
	$(FUZZ_DIR)/fuzz/fuzz_source_text -max_total_time=$(FUZZ_SECONDS) -timeout=10 -print_final_stats=1 \
	    $(FUZZ_DIR)/corpus/source_text fuzz/corpus/source_text
	$(FUZZ_DIR)/fuzz/fuzz_source_archive -max_total_time=$(FUZZ_SECONDS) -timeout=10 -print_final_stats=1 \
	    -rss_limit_mb=4096 $(FUZZ_DIR)/corpus/source_archive fuzz/corpus/source_archive
	$(FUZZ_DIR)/fuzz/fuzz_export -max_total_time=$(FUZZ_SECONDS) -timeout=10 -print_final_stats=1 \
	    -max_len=4096 $(FUZZ_DIR)/corpus/export fuzz/corpus/export

# The Debian package zu-kirdo_<version>_amd64.deb in this folder, built with
# Debian's hardening flags and refused if lintian finds an error in it.
package: deps
	@bash scripts/install-deps.sh --package
	export DEB_BUILD_MAINT_OPTIONS=hardening=+all; \
	CXXFLAGS="$$(dpkg-buildflags --get CXXFLAGS) $$(dpkg-buildflags --get CPPFLAGS)" \
	LDFLAGS="$$(dpkg-buildflags --get LDFLAGS)" \
	  cmake -S . -B $(PACKAGE_DIR) -DCMAKE_BUILD_TYPE=Release -DZU_BUILD_TESTS=OFF
	cmake --build $(PACKAGE_DIR) -j $(JOBS)
	rm -f $(PACKAGE_DIR)/zu-kirdo_*.deb zu-kirdo_*.deb
	cd $(PACKAGE_DIR) && cpack
	cp $(PACKAGE_DIR)/zu-kirdo_*.deb .
	lintian --fail-on error zu-kirdo_*.deb

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR) $(BENCH_DIR) $(FUZZ_DIR) $(PACKAGE_DIR) $(WINDOWS_DIR)
