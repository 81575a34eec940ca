# make run   — install what is missing, build, start Glanix
# make test  — install what is missing, build with sanitizers, run every test
BUILD      ?= build
TEST_BUILD ?= build-test
FUZZ_BUILD ?= build-fuzz
CMAKE_GEN  := -G Ninja
JOBS       ?= $(shell nproc)

.PHONY: all deps build run test test-build fuzz bench format clean

all: build

deps:
	@./scripts/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@./scripts/run-glanix.sh $(BUILD)/bin/glanix $(ARGS)

test-build: deps
	@cmake -S . -B $(TEST_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DGLANIX_SANITIZE=ON >/dev/null
	@cmake --build $(TEST_BUILD) -j $(JOBS)

test: test-build
	@cd $(TEST_BUILD) && ctest --output-on-failure -j $(JOBS) $(CTEST_ARGS)

fuzz: deps
	@cmake -S . -B $(FUZZ_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGLANIX_FUZZ=ON \
	  -DGLANIX_BUILD_GUI=OFF -DCMAKE_CXX_COMPILER=clang++ >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS)

bench: build
	@echo "Benchmarks are in $(BUILD)/bench; see bench/README.md."

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(TEST_BUILD) $(FUZZ_BUILD)
