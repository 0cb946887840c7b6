import pytest

import orvel


@pytest.fixture
def sheet():
    if not hasattr(orvel.Sheet, "get"):
        pytest.skip("the engine sheet is not built yet")
    return orvel.Sheet()
