#pragma once
#include "qrtzdb/basis/FileStream.h"
#include "qrtzdb/formats/KelDbMolecule.h"
#include "qrtzdb/model/DbMolCrystal.h"
#include "qrtzdb/platform/CString.h"

namespace qrtz {

// A molecular crystal with the molecular crystal database format (".mcr") and the bundle
// (".bdl", also the molecular crystal clipboard text). Both group molecules by name: one block
// per molecule type carries the atoms of every molecule of the type and the bonds of the first.
//
// Readers create molecules through CreateKelDbMolecule and their atoms and bonds through the
// molecule's own CreateDbAtomV and CreateDbBondV. A block's molecules are all created and
// appended before its first atom line is read; a molecule count that the rest of the input
// cannot hold (each molecule needs its atom lines) is refused first with FsException(1), none
// of the block's molecules made. Malformed or missing input throws FsException(1) naming the
// line; the molecules created stay (those of the failing block possibly without all their
// atoms or bonds) and the molecule type list is then not rebuilt. An atom line one field
// short, or a bond line without its name, is malformed, unless it is the writer's own line for
// a blank name, which keeps the name's blank columns.
class KelDbMolCrystal : public DbMolCrystal {
public:
    // The header lines a new molecular crystal writes.
    static constexpr const char* kDefaultTitle = "KELVORN Molecular Crystal Database File";
    static constexpr const char* kDefaultMaker = "BRELLIX";
    static constexpr const char* kDefaultKind = "Molecular Crystal";

    KelDbMolCrystal();
    ~KelDbMolCrystal() override = default;

    // Header fields, then the DbMolCrystal part.
    KelDbMolCrystal& operator=(const KelDbMolCrystal& other);

    DbComp* Copy() const override;
    // The molecule class the readers fill; the caller owns it.
    virtual KelDbMolecule* CreateKelDbMolecule(const char* name);
    DbMolecule* CreateDbMolecule(const char* name) override;

    // Replaces the molecules, header fields and lattice constants. A type without bonds reads
    // as one molecule holding the atoms of all its molecules. The Z-matrix lines that end each
    // block are recognised by their shape and passed over, so files with and without them read.
    void ReadMcrdb(FileStream& in);
    // One block per molecule type in type-list order, each ending with the Z-matrix of the
    // type's first molecule. Throws FsException(1), writing nothing, when molecules of one
    // name differ in atom or bond count (UpdateMolTypeList restores the rule), as their file
    // would not read back.
    void WriteMcrdb(FileStream& out) const;

    // Makes the molecule of a molecular database the crystal's only molecule: on its principal
    // axes, in fractional coordinates of the present cell, centre of mass at (0.5, 0.5, 0.5).
    // Keeps the cell; throws FsException(1), changing nothing, when the cell has no inverse.
    void ReadMoldb(FileStream& in);

    // Mode -2 adds the flag and its vector to every atom line; other modes write the mode word
    // only. Stored coordinates within Calc::Neighbor of zero become exactly 0.0 as they go out.
    // Throws as WriteMcrdb does for a crystal that breaks the molecule type rule.
    void WriteBdl(FileStream& out, int mode);
    // Line 3 without a mode word means atom lines without masses (the element table's are
    // taken); a mode of -2 or less means atom lines with flags and vectors. Atom lines whose
    // optional columns are missing take the element table's mass.
    void ReadBdl(FileStream& in);

    // Bytes the clipboard sets aside for this crystal's bundle text.
    int GetKelvornBdlClipboardSize() const;

    // The three header lines of the file, kept and written back as read.
    CString headerTitle;
    CString headerMaker;
    CString headerKind;

protected:
    // The bundle of WriteBdl with mode word `mode`; with `simulation`, every position goes out
    // shifted by (0.5, 0.5, 0.5), the stored ones untouched, in seven-column atom lines.
    void WriteBundle(FileStream& out, int mode, bool simulation) const;
};

} // namespace qrtz
