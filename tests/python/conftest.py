import pytest

import orvel


@pytest.fixture
def sheet():
    return orvel.Sheet()
