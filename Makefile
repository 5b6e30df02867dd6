# sh tools/bootstrap.sh TARGET does the same where make itself is missing.
# make        builds every tree (native logic and tests; velmora.exe and its Wine tests)
# make run    builds and starts velmora.exe under Wine
# make test   builds and runs every test
# make bench  runs the benchmarks in bench/
# make dist   writes the release archives to dist/
SHELL := /bin/bash
ROOT := $(abspath .)
BUILD := $(ROOT)/build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all deps build native win win64 fuzz run test bench dist clean
FUZZ_SECONDS ?= 20

# velmora.exe is a 32-bit program (build/win). Debian's wine32 runs it only
# where the kernel runs 32-bit Linux programs; some virtual machines' kernels
# refuse them, and there the same sources are also built 64-bit
# (build/win64), whose programs Wine runs for the tests, the benchmarks and
# make run. Asked when used, after deps has installed Wine.
RUNS_32BIT = $(shell /usr/lib/wine/wine --version >/dev/null 2>&1 && echo ON || echo OFF)
WINE_TREE = $(if $(filter ON,$(RUNS_32BIT)),win,win64)

all: build

deps:
	@bash tools/install-deps.sh

build: deps native win win64 fuzz

native:
	@cmake -S . -B $(BUILD)/native -DCMAKE_BUILD_TYPE=Debug >/dev/null
	@cmake --build $(BUILD)/native -j $(JOBS)

# configure TREE ARCH: a cross tree; its programs run under Wine in ctest only
# when it is the tree this machine can run.
# A tree made with another toolchain (build/win was once 64-bit) starts afresh.
configure = { grep -qs 'mingw-w64-$(2).cmake' $(BUILD)/$(1)/CMakeFiles/*/CMakeSystem.cmake || rm -rf $(BUILD)/$(1); } && \
	cmake -S . -B $(BUILD)/$(1) -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=$(ROOT)/cmake/mingw-w64-$(2).cmake \
	  -DVELMORA_WINE_TESTS=$(if $(filter $(1),$(WINE_TREE)),ON,OFF) >/dev/null

win:
	@$(call configure,win,i686)
	@cmake --build $(BUILD)/win -j $(JOBS)

win64:
	@if [ "$(WINE_TREE)" = win64 ]; then \
	  echo "This machine does not run 32-bit programs: Wine runs the 64-bit build in build/win64."; \
	  $(call configure,win64,x86_64) && cmake --build $(BUILD)/win64 -j $(JOBS); fi

# The libFuzzer target for the picture headers, built with clang; make test
# runs it for FUZZ_SECONDS.
fuzz:
	@cmake -S tests/fuzz -B $(BUILD)/fuzz -DCMAKE_CXX_COMPILER=clang++ \
	  -DVELMORA_FUZZ_SECONDS=$(FUZZ_SECONDS) >/dev/null
	@cmake --build $(BUILD)/fuzz -j $(JOBS)

# Only the program and the inspection tool that finds its window.
run: deps
	@$(call configure,$(WINE_TREE),$(if $(filter win,$(WINE_TREE)),i686,x86_64))
	@cmake --build $(BUILD)/$(WINE_TREE) -j $(JOBS) --target velmora velmora-inspect
	@bash tools/run.sh $(BUILD)/$(WINE_TREE)/velmora.exe

# One ctest run over every tree, so the output ends with one summary.
test: build
	@printf 'subdirs("native" "fuzz" "win"%s)\n' "$(if $(filter win64,$(WINE_TREE)), \"win64\")" \
	  > $(BUILD)/CTestTestfile.cmake
	@cd $(BUILD) && ctest --output-on-failure --timeout 600 -j 2

bench: deps
	@$(MAKE) --no-print-directory $(WINE_TREE)
	@bash bench/run.sh $(BUILD)/$(WINE_TREE)

dist: deps win
	@bash tools/dist.sh $(BUILD)/win $(ROOT)/dist

clean:
	rm -rf $(BUILD)
