# The two commands of the README: `make demo` and `make test`. Both set up what they need.
BUILD       ?= build
SAN_BUILD   ?= build-sanitize
WHEEL_DIR   ?= dist
WHEEL_VENV  ?= .venv-wheel
PY          := .venv/bin/python
JOBS        ?= $(shell nproc)
SHELL       := /bin/bash
.SHELLFLAGS := -o pipefail -c

.PHONY: all setup build install wheel demo test test-cpp test-python test-wheel test-sanitize bench \
        bench-compare clean

all: build

setup:
	@scripts/setup

build: setup
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(BUILD) -j $(JOBS) | { grep -v -e '^\[' -e '^ninja: no work' || true; }

# Builds the extension module through scikit-build-core (in its build directory of
# pyproject.toml, build/python/, which make wheel shares) and installs it into .venv.
install: setup
	@CMAKE_BUILD_PARALLEL_LEVEL=$(JOBS) $(PY) -m pip install -q --no-build-isolation .

# A wheel for other machines: built like install, then repaired by auditwheel so that it bundles
# the Abseil and ICU libraries it needs (manylinux). Lands in $(WHEEL_DIR).
wheel: setup
	@CMAKE_BUILD_PARALLEL_LEVEL=$(JOBS) scripts/build-wheel '$(WHEEL_DIR)'

demo: install
	@$(PY) examples/demo.py

test: test-cpp test-python test-wheel

test-cpp: build
	@scripts/run-cpp-tests $(BUILD)

test-python: install
	@$(PY) -m pytest -q tests/python

# The wheel as users get it: installed into a fresh virtual environment, the Python tests and the
# packaging and typing checks (tests/packaging) run there.
test-wheel: wheel
	@scripts/check-wheel '$(WHEEL_DIR)' '$(WHEEL_VENV)'

# The C++ and Python tests again under AddressSanitizer and UndefinedBehaviorSanitizer.
test-sanitize: setup
	@cmake -S . -B $(SAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVEL_SANITIZE=ON \
	  -DORVEL_BUILD_BENCH=OFF >/dev/null
	@cmake --build $(SAN_BUILD) -j $(JOBS) | { grep -v -e '^\[' -e '^ninja: no work' || true; }
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
