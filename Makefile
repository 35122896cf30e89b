# The two commands: `make run` and `make test`. Both install what is missing first.
BUILD ?= build
SAN_BUILD ?= build-san
CMAKE_FLAGS ?=
ARGS ?=
ifneq ($(CI),)
CMAKE_FLAGS += -DMENDRIX_WERROR=ON
endif

.PHONY: deps configure build test sanitize run clean bench bench-quick

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD)

test: build
	@cd $(BUILD) && ctest --output-on-failure -j2

# Starts the desktop program; `make run ARGS=patch.kdx` hands it a patch.
run: build
	@$(BUILD)/bin/mendrix $(ARGS)

# The whole suite built and run again under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize: deps
	@cmake -S . -B $(SAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DMENDRIX_SANITIZE=ON $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(SAN_BUILD)
	@cd $(SAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j2

# The benchmark (bench/RESULTS.md): every workload at full size, timed, its
# figures written into bench/RESULTS.md. bench-quick: ten times smaller, results checked.
bench: build
	@$(BUILD)/bin/mendrix-bench --results bench/RESULTS.md $(BENCH_ARGS)

bench-quick: build
	@$(BUILD)/bin/mendrix-bench --quick $(BENCH_ARGS)

clean:
	rm -rf $(BUILD) $(SAN_BUILD)
