# The two commands of the README: `make demo` and `make test`. Both set up what they need.
BUILD       ?= build
SAN_BUILD   ?= build-sanitize
PY          := .venv/bin/python
JOBS        ?= $(shell nproc)
SHELL       := /bin/bash
.SHELLFLAGS := -o pipefail -c

.PHONY: all setup build install demo test test-cpp test-python test-sanitize bench bench-compare clean

all: build

setup:
	@scripts/setup

build: setup
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(BUILD) -j $(JOBS) | { grep -v -e '^\[' -e '^ninja: no work' || true; }

# Builds the extension module through scikit-build-core and installs it into .venv.
install: setup
	@$(PY) -m pip install -q --no-build-isolation .

demo: install
	@$(PY) examples/demo.py

test: test-cpp test-python

test-cpp: build
	@scripts/run-cpp-tests $(BUILD)

test-python: install
	@[ -d tests/python ] || { echo "pytest: no Python tests yet"; exit 0; }; \
	  $(PY) -m pytest -q tests/python; code=$$?; \
	  if [ $$code -eq 5 ]; then echo "pytest: no Python tests yet"; exit 0; fi; exit $$code

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
	rm -rf $(BUILD) $(SAN_BUILD) $(SAN_BUILD)-python build/python
