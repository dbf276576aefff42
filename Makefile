# Front door: `make run` and `make test` install what is missing, build, and go.
BUILD     ?= build
SAN_BUILD ?= build-sanitize
FUZZ_BUILD ?= build-fuzz
JOBS      ?= 2

# Every Debian package the project needs, in one place.
DEBIAN_PACKAGES := \
	cmake ninja-build g++ pkg-config make \
	libwxgtk3.2-dev libwxgtk-webview3.2-dev libcairo2-dev libpango1.0-dev libfontconfig-dev \
	libgtest-dev libbenchmark-dev libfast-float-dev nlohmann-json3-dev libhowardhinnant-date-dev \
	libsleef-dev \
	gettext fonts-dejavu-core fonts-droid-fallback \
	xvfb xauth imagemagick x11-utils xdotool \
	clang libclang-rt-14-dev

# Only for the peer comparisons of `make bench`.
BENCH_PACKAGES := python3-pandas python3-numpy r-base-core r-cran-data.table

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: deps bench-deps configure build test run bench sanitize fuzz clean

deps:
	@$(MAKE) --no-print-directory install-packages PACKAGES="$(DEBIAN_PACKAGES)"

bench-deps: deps
	@$(MAKE) --no-print-directory install-packages PACKAGES="$(BENCH_PACKAGES)"

install-packages:
	@missing=""; \
	for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update && \
	  $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y $$missing; \
	fi

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release

configure: deps $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

run: build
	@./tools/run-program.sh $(BUILD)

bench: bench-deps build
	@./tools/run-benchmarks.sh $(BUILD)

# Engine tests under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize: deps
	cmake -S . -B $(SAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DARDENTINE_GUI=OFF \
	  -DARDENTINE_BENCH=OFF \
	  -DCMAKE_CXX_FLAGS="-O1 -g -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
	cmake --build $(SAN_BUILD) -j $(JOBS)
	cd $(SAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tools/lsan.supp \
	  ctest --output-on-failure -j $(JOBS)

# Every fuzz target for FUZZ_SECONDS each, built with clang and the sanitizers.
FUZZ_SECONDS ?= 120
fuzz: deps
	CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DARDENTINE_GUI=OFF \
	  -DARDENTINE_TESTS=OFF -DARDENTINE_BENCH=OFF -DARDENTINE_FUZZ=ON \
	  -DCMAKE_CXX_FLAGS="-O1 -g -fsanitize=address,undefined,fuzzer-no-link -fno-sanitize-recover=undefined"
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	@for f in $(FUZZ_BUILD)/fuzz/fuzz_*; do \
	  [ -x "$$f" ] || continue; n=$$(basename $$f); mkdir -p fuzz-out/$$n fuzz/corpus/$$n; \
	  echo "== $$n for $(FUZZ_SECONDS) s"; \
	  $$f -max_total_time=$(FUZZ_SECONDS) -timeout=10 -rss_limit_mb=4096 fuzz-out/$$n fuzz/corpus/$$n || exit 1; \
	done

clean:
	rm -rf $(BUILD) $(SAN_BUILD) $(FUZZ_BUILD)
