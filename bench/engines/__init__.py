"""One module per engine that bench/compare.py measures; see base.py for the interface."""
