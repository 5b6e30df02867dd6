# sh tools/bootstrap.sh TARGET does the same where make itself is missing.
# make        builds both trees (native logic and tests; velmora.exe and its Wine tests)
# make run    builds and starts velmora.exe under Wine
# make test   builds and runs every test
# make bench  runs the benchmarks in bench/
SHELL := /bin/bash
ROOT := $(abspath .)
BUILD := $(ROOT)/build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all deps build native win fuzz run test bench clean
FUZZ_SECONDS ?= 20

all: build

deps:
	@bash tools/install-deps.sh

build: deps native win fuzz

native:
	@cmake -S . -B $(BUILD)/native -DCMAKE_BUILD_TYPE=Debug >/dev/null
	@cmake --build $(BUILD)/native -j $(JOBS)

win:
	@cmake -S . -B $(BUILD)/win -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=$(ROOT)/cmake/mingw-w64.cmake >/dev/null
	@cmake --build $(BUILD)/win -j $(JOBS)

# The libFuzzer target for the picture headers, built with clang; make test
# runs it for FUZZ_SECONDS.
fuzz:
	@cmake -S tests/fuzz -B $(BUILD)/fuzz -DCMAKE_CXX_COMPILER=clang++ \
	  -DVELMORA_FUZZ_SECONDS=$(FUZZ_SECONDS) >/dev/null
	@cmake --build $(BUILD)/fuzz -j $(JOBS)

run: deps win
	@bash tools/run.sh $(BUILD)/win/velmora.exe

# One ctest run over both trees, so the output ends with one summary.
test: build
	@printf 'subdirs("native" "fuzz" "win")\n' > $(BUILD)/CTestTestfile.cmake
	@cd $(BUILD) && ctest --output-on-failure --timeout 600 -j 2

bench: deps win
	@bash bench/run.sh $(BUILD)/win

clean:
	rm -rf $(BUILD)
