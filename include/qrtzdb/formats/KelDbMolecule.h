#pragma once
#include "qrtzdb/basis/FileStream.h"
#include "qrtzdb/model/DbMolecule.h"
#include "qrtzdb/platform/CString.h"

namespace qrtz {

// A molecule with the molecular database format (".mol", also the molecule clipboard text):
// three header lines, an empty cell line, a fixed line, a counts line, one line per atom, one
// per bond and one Z-matrix line per atom. Atoms it creates are KelDbAtomV.
class KelDbMolecule : public DbMolecule {
public:
    static constexpr const char* kDefaultTitle = "KELVORN Molecular Database File";
    static constexpr const char* kDefaultMaker = "BRELLIX";
    static constexpr const char* kDefaultKind = "Molecule";

    // Six values the host keeps with a molecule; this library only resets and copies them.
    struct SpBlock {
        double value1 = 298.0;
        int value2 = 1;
        int value3 = 1;
        double value4 = 180.0;
        double value5 = 0.0;
        double value6 = 0.0;
    };

    KelDbMolecule();
    explicit KelDbMolecule(const char* name);
    ~KelDbMolecule() override = default;

    // Header fields and Sp block, then name, atoms and bonds.
    KelDbMolecule& operator=(const KelDbMolecule& other);

    DbComp* Copy() const override;
    DbAtomV* CreateDbAtomV(const char* name, const Vertex3D& position, double mass,
                           double charge, double radius) override;

    void InitSp() { sp = SpBlock(); }

    // Replaces atoms, bonds, name, header fields and Sp block with the file's. Atom and bond
    // lines are read as the counts line announces, created through CreateDbAtomV and
    // CreateDbBondV as they arrive; the Z-matrix lines after them are not read. Malformed or
    // missing input throws FsException(1) naming the line; what was read before stays and the
    // type lists are then not rebuilt.
    void ReadMoldb(FileStream& in);
    // Element type numbers and the type count come from the atom type list as last rebuilt.
    void WriteMoldb(FileStream& out) const;

    // Bytes the clipboard sets aside for this molecule's database text.
    int GetKelvornClipboardSize() const;

    CString headerTitle;
    CString headerMaker;
    CString headerKind;
    SpBlock sp;
};

} // namespace qrtz
