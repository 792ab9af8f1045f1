# Thin wrapper over CMake; every target builds with two jobs, as our machines have two cores.
JOBS    ?= 2
BUILD   ?= build
ASAN    ?= build-asan
BENCH   ?= build-bench
PREFIX  ?= $(CURDIR)/build-install
FUZZ    ?= build-fuzz
FUZZ_SECONDS ?= 60
CMAKE_FLAGS ?=

.PHONY: all setup build test docs demo bench asan install consumer python fuzz fuzz-build fuzz-replay fuzz-seeds clean

all: build

# Installs the Debian packages of the groups a target needs (scripts/packages.txt) when some are
# missing; QRTZ_NO_INSTALL=1 skips that. Each target names its groups.
SETUP = ./scripts/setup.sh

setup:
	@$(SETUP) build test docs

# The generated Makefile, not the cache, marks a finished configure: a failed one leaves a cache.
$(BUILD)/Makefile:
	@$(SETUP) build
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQRTZ_WERROR=ON $(CMAKE_FLAGS)

build: $(BUILD)/Makefile
	@$(SETUP) build
	cmake --build $(BUILD) -j $(JOBS)

# Configure, build and run every test; the tests build the documentation site too.
test: build
	@$(SETUP) test docs
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# The documentation site into $(BUILD)/docs/: the guide, the file formats, the qrtz tool, the
# C++ reference from the headers and the Python reference from the built module. Doxygen and
# Sphinx warnings are errors.
docs: $(BUILD)/Makefile
	@$(SETUP) build docs
	cmake --build $(BUILD) -j $(JOBS) --target qrtz python
	./docs/build.sh $(BUILD) $(BUILD)/docs

# The Python package qrtzdb, importable from $(BUILD)/python by Debian's /usr/bin/python3.
python: $(BUILD)/Makefile
	@$(SETUP) build
	cmake --build $(BUILD) --target python -j $(JOBS)
	@echo "export PYTHONPATH=$(abspath $(BUILD))/python   # then: /usr/bin/python3 -c 'import qrtzdb'"

# The main job on the bundled examples.
demo: $(BUILD)/Makefile
	@$(SETUP) build
	cmake --build $(BUILD) -j $(JOBS) --target qrtz qrtz_system_files
	./scripts/demo.sh $(BUILD)/tools/qrtz/qrtz

bench:
	@$(SETUP) build bench
	cmake -S . -B $(BENCH) -DCMAKE_BUILD_TYPE=Release -DQRTZ_BUILD_TESTS=OFF -DQRTZ_BUILD_BENCH=ON
	cmake --build $(BENCH) -j $(JOBS)
	./scripts/bench.sh $(BENCH)

# The whole suite under AddressSanitizer and UndefinedBehaviorSanitizer.
asan:
	@$(SETUP) build test
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

# libFuzzer targets: their own clang configure, the library built again with their hooks.
fuzz-build:
	@$(SETUP) build fuzz
	CC=clang-14 CXX=clang++-14 cmake -S . -B $(FUZZ) -DQRTZ_BUILD_FUZZ=ON \
		-DQRTZ_BUILD_TESTS=OFF -DQRTZ_BUILD_TOOLS=OFF
	cmake --build $(FUZZ) --target fuzzers -j $(JOBS)

# Each target for FUZZ_SECONDS, one after the other; what they find beyond the seeds in
# fuzz/corpus/ goes to $(FUZZ)/corpus/, crashes to $(FUZZ)/artifacts/.
fuzz: fuzz-build
	@failed=; for seeds in fuzz/corpus/*/; do t=$$(basename $$seeds); \
		mkdir -p $(FUZZ)/corpus/$$t $(FUZZ)/artifacts/$$t; \
		echo "== $$t"; \
		$(FUZZ)/fuzz/$$t -max_total_time=$(FUZZ_SECONDS) -max_len=65536 -timeout=10 \
			-rss_limit_mb=1024 -malloc_limit_mb=1024 -print_final_stats=1 \
			-artifact_prefix=$(FUZZ)/artifacts/$$t/ $(FUZZ)/corpus/$$t $$seeds \
			|| failed="$$failed $$t"; \
	done; \
	if [ -n "$$failed" ]; then echo "fuzz: findings in$$failed"; exit 1; fi

# Every corpus input once through its target.
fuzz-replay: fuzz-build
	@set -e; for seeds in fuzz/corpus/*/; do t=$$(basename $$seeds); \
		echo "== $$t"; \
		$(FUZZ)/fuzz/$$t -runs=0 -timeout=10 -rss_limit_mb=1024 -malloc_limit_mb=1024 $$seeds; \
	done

# Writes again the seeds of the simulation and clipboard-form targets, from the test suite's
# simulation file writer and the library's clipboard writers over the examples.
fuzz-seeds: fuzz-build
	cmake --build $(FUZZ) --target qrtz_fuzz_seeds -j $(JOBS)
	$(FUZZ)/fuzz/qrtz_fuzz_seeds fuzz/corpus examples

clean:
	rm -rf $(BUILD) $(ASAN) $(BENCH) $(FUZZ) $(PREFIX) $(BUILD)-consumer
