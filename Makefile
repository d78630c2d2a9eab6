# Quick start: `make run` runs the main job, `make test` builds and runs every test.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
STAMP := $(BUILD_DIR)/.setup-done

.PHONY: all build configure setup run test bench clean format

all: build

# Run the package setup once per build tree, or when the package list changes.
$(STAMP): scripts/packages scripts/setup
	./scripts/setup
	@mkdir -p $(BUILD_DIR) && touch $@

setup: $(STAMP)

$(BUILD_DIR)/build.ninja: $(STAMP)
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_FLAGS)

configure: $(BUILD_DIR)/build.ninja

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

run: build
	./scripts/run-main $(BUILD_DIR)

bench: build
	./scripts/run-bench $(BUILD_DIR)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD_DIR)
