# The two everyday commands:
#   make demo   build korvex and convert the bundled example map
#   make test   build everything and run every test
# Also: make install [PREFIX=/usr/local], make deb, make test-sanitize,
# make test-tsan, make fuzz [FUZZ_SECONDS=60], make bench, make look
# [LOOK_MAPS="start pd_keys"], make clean.

BUILD         ?= build
SAN_BUILD     ?= build-sanitize
TSAN_BUILD    ?= build-tsan
FUZZ_BUILD    ?= build-fuzz
DEB_BUILD     ?= build-deb
JOBS          ?= $(shell nproc 2>/dev/null || echo 2)
FUZZ_SECONDS  ?= 60
CMAKE_FLAGS   ?=
PREFIX        ?= /usr/local

.PHONY: all build demo test test-sanitize test-tsan install deb fuzz bench look deps clean

all: build

# Checks for the Debian packages the build needs; installs the missing ones
# when run as root with apt-get, else prints the command to run.
deps:
	@sh tools/deps.sh

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

build: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

# Builds only the program it runs.
demo: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) --target korvex -j $(JOBS)
	@rm -rf $(BUILD)/demo && mkdir -p $(BUILD)/demo
	@cp examples/test.map tables/q1.ent $(BUILD)/demo/
	cd $(BUILD)/demo && ../korvex -s test.map
	@echo "--- $(BUILD)/demo/test.1q3 ---"
	@cat $(BUILD)/demo/test.1q3

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	@cat $(BUILD)/tests/corpus-summary.txt 2>/dev/null || true

test-sanitize: | deps
	cmake -S . -B $(SAN_BUILD) -DKORVEX_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug $(CMAKE_FLAGS)
	cmake --build $(SAN_BUILD) -j $(JOBS)
	cd $(SAN_BUILD) && ctest --output-on-failure -j $(JOBS)

# The batch's threads under ThreadSanitizer: only what runs maps side by
# side is built and tested.
test-tsan: | deps
	cmake -S . -B $(TSAN_BUILD) -DKORVEX_SANITIZE_THREADS=ON -DCMAKE_BUILD_TYPE=Debug $(CMAKE_FLAGS)
	cmake --build $(TSAN_BUILD) --target korvex korvex-batch batch_inprocess_tests batch_run_tests -j $(JOBS)
	cd $(TSAN_BUILD) && ctest --output-on-failure -R '^Batch(InProcess|Runs)\.' -j $(JOBS)

# The programs look for the installed tables under the prefix they were
# built for, so PREFIX is configured into the build first.
install: $(BUILD)/CMakeCache.txt
	cmake -S . -B $(BUILD) -DCMAKE_INSTALL_PREFIX=$(abspath $(PREFIX))
	cmake --build $(BUILD) --target korvex korvex-batch korvex-tex korvex-play -j $(JOBS)
	cmake --install $(BUILD)

# A Debian package of the programs, built for /usr in a folder of its own,
# written to $(BUILD)/korvex_<version>_<arch>.deb.
deb:
	@sh tools/deps.sh deb
	cmake -S . -B $(DEB_BUILD) -DCMAKE_INSTALL_PREFIX=/usr -DKORVEX_TESTS=OFF -DKORVEX_SOURCE_TABLES=OFF -DKORVEX_DEBIAN_LAYOUT=ON $(CMAKE_FLAGS)
	cmake --build $(DEB_BUILD) -j $(JOBS)
	@rm -f $(DEB_BUILD)/korvex_*.deb
	cd $(DEB_BUILD) && cpack -G DEB
	@mkdir -p $(BUILD)
	cp $(DEB_BUILD)/korvex_*.deb $(BUILD)/

# BATCH_BEFORE=path/to/korvex-batch times another batch program beside this
# one (see bench/batch_bench.sh).
bench: build
	BATCH_BEFORE="$(BATCH_BEFORE)" sh bench/bench.sh $(BUILD)/korvex

fuzz:
	sh tools/fuzz.sh $(FUZZ_SECONDS)

# Converted Quake maps pictured beside their authors' compiled levels (needs
# the shared side-by-side tools; FAST=1 for the quick light stage).
look: build
	BUILD=$(BUILD) FAST=$(FAST) bash tools/look_check.sh $(LOOK_MAPS)

clean:
	rm -rf $(BUILD) $(SAN_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD) $(DEB_BUILD)
