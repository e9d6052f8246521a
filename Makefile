# The two commands of the README, and the developers' others. Every target installs what it needs first.
BUILD      ?= build
BUILD_TYPE ?= RelWithDebInfo
WERROR     ?= ON
JOBS       ?= $(shell nproc)
MAKEFLAGS  += --no-print-directory
FUZZ_SECONDS ?= 60
FUZZERS    ?= fuzz_receive fuzz_frames fuzz_grid_file fuzz_apn_presets fuzz_editor_image fuzz_parameter_json

.PHONY: all bootstrap configure build run test bench test-asan fuzz package windows test-windows clean

all: build

bootstrap:
	@scripts/bootstrap.sh

configure: bootstrap
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DVANTREL_WERROR=$(WERROR) >/dev/null

build: configure
	@cmake --build $(BUILD) -j$(JOBS)

run: build
	@scripts/run.sh $(BUILD)

test: build
	@ctest --test-dir $(BUILD) --output-on-failure -j$(JOBS)

bench: build
	@scripts/bootstrap.sh bench
	@scripts/bench.sh $(BUILD)

test-asan: bootstrap
	@cmake -S . -B $(BUILD)-asan -DCMAKE_BUILD_TYPE=Debug -DVANTREL_SANITIZE=ON -DVANTREL_BENCH=OFF -DVANTREL_WERROR=$(WERROR) >/dev/null
	@cmake --build $(BUILD)-asan -j$(JOBS)
	@ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 ctest --test-dir $(BUILD)-asan --output-on-failure -j$(JOBS)

# The Debian package, built apart from the developers' build (no tests or benchmarks; CPack strips the
# debug information): $(BUILD)-package/vantrel5_<version>-1_<arch>.deb, then checked by lintian. It is
# compiled with the same warnings as the test build, as errors.
package:
	@scripts/bootstrap.sh package
	@cmake -S . -B $(BUILD)-package -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DVANTREL_TESTS=OFF -DVANTREL_BENCH=OFF -DVANTREL_WERROR=$(WERROR) >/dev/null
	@cmake --build $(BUILD)-package -j$(JOBS)
	@cd $(BUILD)-package && cpack -G DEB
	@lintian --info $(BUILD)-package/vantrel5_*.deb

# The Windows build, cross-compiled: Qt for Windows is built once from Debian's source into a cache outside
# the repository (about an hour on 2 cores the first time), then $(BUILD)-win/vantrel5-setup-<version>.exe
# and the portable $(BUILD)-win/vantrel5-<version>-win64.zip. test-windows runs the Windows test programs,
# the installer and the installed programs against the simulator under Wine.
windows: bootstrap
	@scripts/bootstrap.sh windows
	@scripts/windows/qt.sh >/dev/null
	@scripts/windows/build.sh $(BUILD)-win
	@scripts/windows/package.sh $(BUILD)-win

test-windows: windows build
	@scripts/windows/build.sh $(BUILD)-win --tests
	@scripts/windows/test.sh $(BUILD)-win $(BUILD)

# The harnesses are built by clang in their own tree and run one after the other, FUZZ_SECONDS each.
fuzz:
	@scripts/bootstrap.sh fuzz
	@cmake -S . -B $(BUILD)-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DVANTREL_FUZZ=ON -DVANTREL_TESTS=OFF -DVANTREL_BENCH=OFF -DVANTREL_WERROR=$(WERROR) >/dev/null
	@cmake --build $(BUILD)-fuzz -j$(JOBS) --target $(FUZZERS)
	@fuzz/run.sh $(BUILD)-fuzz $(FUZZ_SECONDS) $(FUZZERS)

clean:
	@rm -rf $(BUILD) $(BUILD)-asan $(BUILD)-fuzz $(BUILD)-package $(BUILD)-win
