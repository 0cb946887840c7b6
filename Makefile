# The two commands of the README: `make demo` and `make test`. Both set up what they need.
BUILD       ?= build
SAN_BUILD   ?= build-sanitize
WHEEL_DIR   ?= dist
WHEEL_VENV  ?= .venv-wheel
PY          := .venv/bin/python
JOBS        ?= $(shell nproc)
SHELL       := /bin/bash
.SHELLFLAGS := -o pipefail -c

# Each long step starts with a "==>" heading and shows its progress: ninja's [n/N] lines for the
# builds (a log that is no terminal gets one line per step), pytest's dots for the tests.
NINJA_PROGRESS := grep --line-buffered -v '^ninja: no work to do' || true

.PHONY: all setup build install wheel demo test test-cpp test-python test-wheel test-sanitize bench \
        bench-compare clean

all: build

setup:
	@scripts/setup

build: setup
	@echo "==> C++ build ($(BUILD)/): engine, packages, C++ tests, benchmarks, examples"
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(BUILD) -j $(JOBS) | { $(NINJA_PROGRESS); }

# Builds the extension module through scikit-build-core (in its build directory of
# pyproject.toml, build/python/, which make wheel shares) and installs it into .venv.
install: setup
	@echo "==> Python module: pip builds it from this tree (build/python/) and installs it into .venv"
	@CMAKE_BUILD_PARALLEL_LEVEL=$(JOBS) \
	  scripts/pip-progress $(PY) -m pip install --no-build-isolation .

# A wheel for other machines: built like install, then repaired by auditwheel so that it bundles
# the Abseil and ICU libraries it needs (manylinux). Lands in $(WHEEL_DIR).
wheel: setup
	@CMAKE_BUILD_PARALLEL_LEVEL=$(JOBS) scripts/build-wheel '$(WHEEL_DIR)'

demo: install
	@echo "==> The tour: examples/demo.py"
	@$(PY) examples/demo.py

test: test-cpp test-python test-wheel

test-cpp: build
	@echo "==> C++ tests ($(BUILD)/)"
	@scripts/run-cpp-tests $(BUILD)

test-python: install
	@echo "==> Python tests (tests/python) on the module built from this tree, in .venv"
	@$(PY) -m pytest -q tests/python

# The wheel as users get it: installed into a fresh virtual environment, the Python tests and the
# packaging and typing checks (tests/packaging) run there.
test-wheel: wheel
	@scripts/check-wheel '$(WHEEL_DIR)' '$(WHEEL_VENV)'

# The C++ and Python tests again under AddressSanitizer and UndefinedBehaviorSanitizer.
test-sanitize: setup
	@echo "==> C++ build with sanitizers ($(SAN_BUILD)/): engine, packages, C++ tests"
	@cmake -S . -B $(SAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVEL_SANITIZE=ON \
	  -DORVEL_BUILD_BENCH=OFF -DORVEL_BUILD_EXAMPLES=OFF >/dev/null
	@cmake --build $(SAN_BUILD) -j $(JOBS) | { $(NINJA_PROGRESS); }
	@echo "==> C++ tests with sanitizers ($(SAN_BUILD)/)"
	@ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  scripts/run-cpp-tests $(SAN_BUILD)
	@JOBS=$(JOBS) scripts/run-python-sanitized $(SAN_BUILD)-python

bench: build install
	@for program in $(BUILD)/bench/bench_*; do $$program; done
	@$(PY) bench/python_bench.py
	@$(MAKE) --no-print-directory bench-compare

# orvel side by side with other engines, installed into .venv-bench only (make test never needs
# them). Extra options through COMPARE_ARGS, e.g. COMPARE_ARGS="--plot compare.png".
bench-compare: install
	@scripts/setup-bench
	@.venv-bench/bin/python bench/compare.py $(COMPARE_ARGS)

clean:
	rm -rf $(BUILD) $(SAN_BUILD) $(SAN_BUILD)-python build/python $(WHEEL_DIR) $(WHEEL_VENV)
