"""The element table and the clipboard shared by the programs built on the library."""

from collections.abc import Mapping as _Mapping

from . import _qrtzdb as _core

__all__ = ["elements", "clipboard"]


class _Elements(_Mapping):
    """The element table by symbol: ``elements["C"].mass``, ``.radius``, ``.color``.

    Symbols compare as the library does: case-sensitively, one-letter symbols as "C" or "C ",
    longer ones by their first two characters. Assigning ``mass``, ``radius`` or ``color``
    changes the table for this process (new atoms and the writers use it).
    """

    def __getitem__(self, symbol):
        return _core.element_row(symbol)

    def __iter__(self):
        return (row.symbol for row in _core.element_rows())

    def __len__(self):
        return len(_core.element_rows())

    def __repr__(self):
        return "<qrtzdb.elements: %d rows>" % len(self)


class _Clipboard:
    """The clipboard the suite's programs share (a folder: $QRTZ_CLIPBOARD, else
    $XDG_RUNTIME_DIR/qrtz-clipboard, else a per-user folder under /tmp)."""

    @staticmethod
    def copy(obj):
        """Offer a Molecule or a MolCrystal in every clipboard format the library writes."""
        _core.clipboard_copy(obj)

    @staticmethod
    def paste(format="kel", unite=False):
        """The structure on the clipboard.

        format "kel": the library's own formats, a MolCrystal when one is there, else the
        Molecule (or single atom); "mdl": the MDL molfile text; "mopac": the MOPAC text. unite
        folds hydrogens into their carbons (mdl and mopac). Raises ValueError when the
        clipboard holds nothing of that format.
        """
        return _core.clipboard_paste(format, unite)


elements = _Elements()
clipboard = _Clipboard()
