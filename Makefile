# make run   install what is missing, build (Release), start the panel
# make test  install, build, run every test suite
# make asan  the tests under AddressSanitizer and UndefinedBehaviorSanitizer
# make tsan  the suites that start threads, and a mixed batch on three workers, under ThreadSanitizer
# make bench build and run the benchmarks, then compare plendo-batch with its peers and the panel with plendo-batch
# make fuzz  build the libFuzzer targets with clang and run each FUZZ_SECONDS on its seeds
# make install PREFIX=...  build the programs (no tests) and install them (default /usr/local)
# make deb   build a Debian package into this folder: apt install ./plendo_*.deb
BUILD ?= build
JOBS ?= $(shell nproc)
PREFIX ?= /usr/local

.PHONY: all deps build run test asan tsan bench fuzz install deb clean

all: build

deps:
	@bash scripts/install-deps.sh

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/bin/plendo

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

asan: deps
	cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPLENDO_SANITIZE=ON
	cmake --build build-asan -j $(JOBS)
	cd build-asan && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j $(JOBS)

# The suites marked THREADS (CTest label "threads") under ThreadSanitizer.
# Reports go to build-tsan/tsan-logs; tests/tsan/ holds the suppressions and
# the check that fails on any report left.
TSAN_LOGS = $(CURDIR)/build-tsan/tsan-logs
tsan:
	@bash scripts/install-deps.sh --tsan
	cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPLENDO_TSAN=ON
	cmake --build build-tsan -j $(JOBS) --target thread_suites
	rm -rf $(TSAN_LOGS) && mkdir -p $(TSAN_LOGS)
	cd build-tsan && TSAN_OPTIONS="exitcode=0 log_path=$(TSAN_LOGS)/report suppressions=$(CURDIR)/tests/tsan/suppressions.txt" \
	  ctest -L threads --output-on-failure -j $(JOBS)
	bash tests/tsan/check_reports.sh $(TSAN_LOGS) build-tsan/bin/plendo-batch

bench:
	@bash scripts/install-deps.sh --bench
	cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DPLENDO_BUILD_BENCH=ON -DPLENDO_BUILD_TESTS=OFF
	cmake --build build-bench -j $(JOBS)
	for b in build-bench/bench/*_bench; do $$b; done
	bash bench/compare.sh build-bench/bin
	bash bench/panel.sh build-bench/bin

FUZZ_SECONDS ?= 60
FUZZ_TARGETS = bmp ico png_preview gif_preview exif ini decode_image metafile
# Each target runs on a copy of its seeds, so new finds never land in the repository.
fuzz:
	@bash scripts/install-deps.sh --fuzz
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPLENDO_FUZZ=ON -DPLENDO_BUILD_TESTS=OFF
	cmake --build build-fuzz -j $(JOBS) --target $(addsuffix _fuzzer,$(FUZZ_TARGETS))
	failed=""; for t in $(FUZZ_TARGETS); do \
	  rm -rf build-fuzz/corpus/$$t && mkdir -p build-fuzz/corpus/$$t build-fuzz/crashes/$$t && \
	  cp fuzz/corpus/$$t/* build-fuzz/corpus/$$t/ && \
	  build-fuzz/fuzz/$${t}_fuzzer -max_total_time=$(FUZZ_SECONDS) -rss_limit_mb=3072 -print_final_stats=1 \
	    -artifact_prefix=build-fuzz/crashes/$$t/ build-fuzz/corpus/$$t || failed="$$failed $$t"; \
	done; [ -z "$$failed" ] || { echo "crashes in:$$failed (build-fuzz/crashes/)"; exit 1; }

install: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS) --target installables
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

# A build of its own, without the tests; the package installs under /usr.
deb: deps
	cmake -S . -B build-deb -G Ninja -DCMAKE_BUILD_TYPE=Release -DPLENDO_BUILD_TESTS=OFF
	cmake --build build-deb -j $(JOBS) --target installables
	cd build-deb && cpack -G DEB
	cp build-deb/plendo_*.deb .
	@ls plendo_*.deb

clean:
	rm -rf $(BUILD) build-asan build-tsan build-bench build-fuzz build-deb
