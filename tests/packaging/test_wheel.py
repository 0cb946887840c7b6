"""Checks of orvel as a user installs it from the wheel (scripts/check-wheel runs these in a fresh
virtual environment, next to the Python tests, on the machine that built the wheel): where the
module and its stub land, the notices, the bundled libraries, and the typing of a small
program."""

import importlib.metadata
import pathlib
import subprocess
import sys
import sysconfig

import orvel

HERE = pathlib.Path(__file__).resolve().parent
SITE = pathlib.Path(sysconfig.get_paths()["platlib"]).resolve()
NOTICE_FILES = [
    "THIRD_PARTY_NOTICES",
    "third_party/licenses/Abseil-Apache-2.0.txt",
]


def run(*args, cwd):
    return subprocess.run([sys.executable, *args], cwd=cwd, capture_output=True, text=True)


def test_the_module_is_the_installed_one():
    assert pathlib.Path(orvel.__file__).resolve().parent == SITE


def test_the_stub_package_lies_in_site_packages():
    stub = SITE / "orvel-stubs" / "__init__.pyi"
    assert "class Sheet" in stub.read_text()


def test_the_notices_are_license_files_of_the_distribution():
    distribution = importlib.metadata.distribution("orvel")
    assert distribution.metadata.get_all("License-File") == NOTICE_FILES
    installed = {str(file): file for file in distribution.files}
    licenses = f"orvel-{distribution.version}.dist-info/licenses"
    texts = {name: installed[f"{licenses}/{name}"].read_text() for name in NOTICE_FILES}
    assert "Copyright (c) 2023 Ada" in texts["THIRD_PARTY_NOTICES"]
    assert "Apache License" in texts["third_party/licenses/Abseil-Apache-2.0.txt"]
    assert distribution.metadata["Requires-Python"] == ">=3.13"
    assert "Typing :: Typed" in distribution.metadata.get_all("Classifier")


def test_the_icu_notice_is_icus_own_licence_file_of_the_bundled_version():
    # auditwheel names the bundled library libicuuc-<hash>.so.<ICU version>; ICU installs its
    # licence file as share/icu/<ICU version>/LICENSE.
    [library] = (SITE / "orvel.libs").glob("libicuuc-*.so.*")
    version = library.name.partition(".so.")[2]
    distribution = importlib.metadata.distribution("orvel")
    [notice] = [file for file in distribution.files if str(file).endswith(
        f".dist-info/licenses/icu-{version}/LICENSE")]
    text = notice.read_text()
    assert text == pathlib.Path(f"/usr/share/icu/{version}/LICENSE").read_text()
    assert "Third-Party Software Licenses" in text and "(cjdict.txt)" in text


def test_abseil_and_icu_load_from_the_wheel():
    listing = subprocess.run(["ldd", orvel.__file__], capture_output=True, text=True, check=True)
    resolved = {}
    for line in listing.stdout.splitlines():
        name, _, target = line.strip().partition(" => ")
        resolved[name] = target.split(" (")[0]
    bundled = [name for name in resolved if name.startswith(("libicu", "libabsl"))]
    assert any(name.startswith("libicuuc") for name in bundled)
    assert any(name.startswith("libabsl_time_zone") for name in bundled)
    for name in bundled:
        assert pathlib.Path(resolved[name]).parent.name == "orvel.libs", (name, resolved[name])


def test_typed_program_passes_mypy_strict(tmp_path):
    result = run("-m", "mypy", "--strict", "--cache-dir", str(tmp_path / "cache"),
                 str(HERE / "typed_program.py"), cwd=tmp_path)
    assert result.returncode == 0, result.stdout + result.stderr


def test_typed_program_passes_pyright_strict(tmp_path):
    # Strict through the program's `# pyright: strict` comment.
    result = run("-m", "pyright", "--pythonpath", sys.executable, str(HERE / "typed_program.py"),
                 cwd=tmp_path)
    assert result.returncode == 0, result.stdout + result.stderr


def test_typed_program_runs(tmp_path):
    result = run(str(HERE / "typed_program.py"), cwd=tmp_path)
    assert result.returncode == 0, result.stdout + result.stderr
    assert result.stdout == "typed program: ok\n"


def test_stubtest_finds_the_stub_and_agrees_with_the_module(tmp_path):
    # orvel.typing is a module of the stub alone. An allowlist entry that stubtest no longer needs
    # fails the check.
    allowlist = tmp_path / "allowlist"
    allowlist.write_text("orvel.typing\n")
    result = run("-m", "mypy.stubtest", "orvel", "--allowlist", str(allowlist), cwd=tmp_path)
    assert result.returncode == 0, result.stdout + result.stderr
