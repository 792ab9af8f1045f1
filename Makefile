# Thin wrapper over CMake; every target builds with two jobs, as our machines have two cores.
JOBS    ?= 2
BUILD   ?= build
ASAN    ?= build-asan
BENCH   ?= build-bench
PREFIX  ?= $(CURDIR)/build-install
CMAKE_FLAGS ?=

.PHONY: all build test demo bench asan install consumer clean

all: build

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQRTZ_WERROR=ON $(CMAKE_FLAGS)

build: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

# Configure, build and run every test.
test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# The main job on the bundled examples.
demo: build
	./scripts/demo.sh $(BUILD)/tools/qrtz/qrtz

bench:
	cmake -S . -B $(BENCH) -DCMAKE_BUILD_TYPE=Release -DQRTZ_BUILD_TESTS=OFF -DQRTZ_BUILD_BENCH=ON
	cmake --build $(BENCH) -j $(JOBS)
	./scripts/bench.sh $(BENCH)

# The whole suite under AddressSanitizer and UndefinedBehaviorSanitizer.
asan:
	cmake -S . -B $(ASAN) -DCMAKE_BUILD_TYPE=Debug -DQRTZ_SANITIZE=ON -DQRTZ_WERROR=ON
	cmake --build $(ASAN) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
		ctest --test-dir $(ASAN) --output-on-failure -j $(JOBS)

install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# Builds and runs a program outside this tree against the installed package.
consumer: install
	cmake -S tests/consumer -B $(BUILD)-consumer -DCMAKE_PREFIX_PATH=$(PREFIX)
	cmake --build $(BUILD)-consumer -j $(JOBS)
	$(BUILD)-consumer/consumer

clean:
	rm -rf $(BUILD) $(ASAN) $(BENCH) $(PREFIX) $(BUILD)-consumer
