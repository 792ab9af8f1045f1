"""The README's Python example runs as written."""

import re
import shutil
import subprocess
import sys

from conftest import SOURCE


def test_readme_example_runs(tmp_path):
    text = (SOURCE / "README.md").read_text()
    section = text[text.index("## Python"):]
    code = re.search(r"```python\n(.*?)```", section, re.S).group(1)
    shutil.copytree(SOURCE / "examples", tmp_path / "examples")
    done = subprocess.run([sys.executable, "-c", code], cwd=tmp_path, capture_output=True,
                          text=True)
    assert done.returncode == 0, done.stderr
    assert done.stdout.splitlines()[0].startswith("['O' 'H' 'H'] (3, 3) 18.01")
    assert (tmp_path / "water-fcc.mcr").exists()
