"""Build backend of orvel: scikit-build-core's, with one step added before the sdist.

scikit-build-core makes the sdist without running CMake, so the ada sources that CMake would
fetch at configure time would be missing from it. build_sdist therefore first runs the same
fetch (cmake/fetch-ada.cmake, as a CMake script) with this interpreter's pip; the sdist then
carries the unpacked sources and their licence, and a wheel builds from it offline.
"""

from __future__ import annotations

import os
import pathlib
import shutil
import subprocess
import sys

from scikit_build_core import build as _scikit_build
from scikit_build_core.build import (
    build_editable,
    build_wheel,
    get_requires_for_build_editable,
    get_requires_for_build_wheel,
    prepare_metadata_for_build_editable,
    prepare_metadata_for_build_wheel,
)

__all__ = [
    "build_editable",
    "build_sdist",
    "build_wheel",
    "get_requires_for_build_editable",
    "get_requires_for_build_sdist",
    "get_requires_for_build_wheel",
    "prepare_metadata_for_build_editable",
    "prepare_metadata_for_build_wheel",
]

_ROOT = pathlib.Path(__file__).resolve().parent.parent


def _cmake() -> str:
    found = shutil.which("cmake")
    if found:
        return found
    try:  # the `cmake` package of the package index, when the build environment has it
        import cmake

        return os.path.join(cmake.CMAKE_BIN_DIR, "cmake")
    except ImportError:
        sys.exit("orvel: the sdist step needs CMake to fetch the ada sources (apt-get install cmake)")


def fetch_ada() -> None:
    subprocess.run(
        [_cmake(), f"-DORVEL_FETCH_PYTHON={sys.executable}", "-P",
         str(_ROOT / "cmake" / "fetch-ada.cmake")],
        check=True,
        cwd=_ROOT,
    )


def get_requires_for_build_sdist(config_settings=None):
    requires = _scikit_build.get_requires_for_build_sdist(config_settings)
    if shutil.which("cmake") is None:
        requires = [*requires, "cmake>=3.22"]
    return requires


def build_sdist(sdist_directory, config_settings=None):
    fetch_ada()
    return _scikit_build.build_sdist(sdist_directory, config_settings)
