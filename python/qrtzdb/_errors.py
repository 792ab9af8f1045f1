"""The exceptions of qrtzdb."""

import re

__all__ = ["FormatError", "SimulationWarning"]

_WHERE = {
    "line": re.compile(r"\bline (\d+)"),
    "record": re.compile(r"\brecord (\d+)"),
    "frame": re.compile(r"\bframe (\d+)"),
    "byte": re.compile(r"\bat byte (\d+)"),
}


class FormatError(ValueError):
    """A file (or text) whose content is malformed.

    The message says what is wrong and where. The attributes give the place for programs:

    - ``path``: the file at fault (``None`` for text that came from no file);
    - ``line``: the 1-based line of a text format, where known;
    - ``record``: the 1-based record of an SD file, where known;
    - ``frame`` and ``byte``: the 1-based frame and the byte offset in a simulation file;
    - ``code``: the library's error code (1 malformed content, 2 a writer's limit, 3 a
      simulation record of unexpected length).

    Whatever is not known is ``None``.
    """

    def __init__(self, message, path=None, code=1):
        super().__init__(message)
        self.path = path
        self.code = code
        for name, pattern in _WHERE.items():
            # The innermost place is the last one named (a line inside a record).
            found = pattern.findall(message)
            setattr(self, name, int(found[-1]) if found else None)

    def __reduce__(self):
        # The default rebuilds from the message alone and would lose the path and code.
        return type(self), (str(self), self.path, self.code)


class SimulationWarning(UserWarning):
    """A simulation file oddity that does not stop reading, such as a file that holds fewer
    frames than its header promises (a run killed while writing)."""
