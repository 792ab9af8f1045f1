"""Shared fixtures: the source tree's example and fixture files, the qrtz tool, and a private
clipboard and settings store so that the tests touch nothing of the user's."""

import os
import pathlib
import subprocess

import pytest

SOURCE = pathlib.Path(os.environ.get("QRTZ_SOURCE_DIR", pathlib.Path(__file__).parents[2]))
DATA = SOURCE / "tests" / "data"
EXAMPLES = SOURCE / "examples"


@pytest.fixture(autouse=True)
def private_stores(tmp_path, monkeypatch):
    monkeypatch.setenv("QRTZ_CLIPBOARD", str(tmp_path / "clipboard"))
    monkeypatch.setenv("QRTZ_REGISTRY", str(tmp_path / "registry"))


@pytest.fixture
def qrtz():
    """Runs the qrtz tool of the same build; returns its standard output."""
    tool = os.environ.get("QRTZ_TOOL")
    if not tool:
        pytest.skip("QRTZ_TOOL is not set (CTest sets it)")

    def run(*args):
        done = subprocess.run([tool, *map(str, args)], capture_output=True, text=True)
        assert done.returncode == 0, done.stderr
        return done.stdout

    return run
