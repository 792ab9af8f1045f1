#pragma once
#include <string_view>
#include <vector>

#include "qrtzdb/basis/FileStream.h"
#include "qrtzdb/model/DbMolecule.h"
#include "qrtzdb/platform/CString.h"

namespace qrtz {

struct SdDataField;

// A molecule with the molecular database format (".mol", also the molecule clipboard text):
// three header lines, an empty cell line, a fixed line, a counts line, one line per atom, one
// per bond and one Z-matrix line per atom. Atoms it creates are KelDbAtomV.
class KelDbMolecule : public DbMolecule {
public:
    // The header lines a new molecule writes.
    static constexpr const char* kDefaultTitle = "KELVORN Molecular Database File";
    static constexpr const char* kDefaultMaker = "BRELLIX";
    static constexpr const char* kDefaultKind = "Molecule";

    // Six values the host keeps with a molecule; this library only resets and copies them.
    struct SpBlock {
        // The block's six values and their defaults.
        double value1 = 298.0;
        int value2 = 1;
        int value3 = 1;
        double value4 = 180.0;
        double value5 = 0.0;
        double value6 = 0.0;
    };

    KelDbMolecule();
    // An empty molecule named name (cut to 16 bytes).
    explicit KelDbMolecule(const char* name);
    // Default header fields and Sp block, and the content of source as SetMol makes it.
    KelDbMolecule(const DbMolecule& source, int unite);
    ~KelDbMolecule() override = default;

    // Header fields and Sp block, then name, atoms and bonds.
    KelDbMolecule& operator=(const KelDbMolecule& other);

    DbComp* Copy() const override;
    using DbAtomVSet::CreateDbAtomV;
    DbAtomV* CreateDbAtomV(const char* name, Vertex3D& position, double mass,
                           double charge, double radius) override;

    // Puts the Sp block back to its defaults.
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

    // ---- Exchange with other programs. The readers replace atoms and bonds, name atoms by
    // their element symbol padded to four bytes, drop dummy atoms ("Du  ") with their bonds,
    // fold hydrogens into their carbons when unite is non-zero, and end with FixBondType.
    // Failures throw FsException naming the line; what was read before stays.

    // One MDL molfile (V2000) record in fixed columns; the lines after the last bond line
    // (properties, "M  END", "$$$$") stay in the stream. Code 1 for a counts line without a
    // positive atom count or with a negative bond count.
    void ReadMdl(FileStream& in, int unite);
    // One SD record closed by "$$$$"; FsException(2) and nothing written past 999 atoms or bonds.
    void WriteMdl(FileStream& out) const;
    // The same record with data fields between "M  END" and "$$$$" (SdRecordReader reads them
    // back). FsException(2), nothing written, for a field that would not read back as it is:
    // a name holding '>' or a line end, a value holding an empty line or a "$$$$" line.
    void WriteMdl(FileStream& out, const std::vector<SdDataField>& fields) const;
    int GetMdlClipboardSize() const;

    // Free-format counts, atom and bond lines; with charge non-zero each atom line carries its
    // partial charge after the symbol.
    void ReadMopac(FileStream& in, int charge, int unite);
    void WriteMopac(FileStream& out) const;
    int GetMopacClipboardSize() const;

    // QSF object tables (atom, connector and bond classes, columns found by name).
    void ReadQsf(FileStream& in, int unite);
    // Aromatic bonds go out as alternating single and double bonds and keep "AR" here.
    void WriteQsf(FileStream& out);

    // Replaces name, atoms and bonds by copies of source's, folds hydrogens when unite is
    // non-zero, runs FixBondType and rebuilds the type lists. Header fields and Sp untouched.
    void SetMol(const DbMolecule& source, int unite);
    // Folds every hydrogen ("H ...") whose first bond leads to a carbon ("C ...") into it: mass
    // and charge added, the hydrogen count in the carbon's fourth name byte (blank, then "1",
    // "2", ...; a shorter carbon name is padded with blanks first). Type lists not rebuilt.
    void Unite();
    // Appends copies of other's atoms and bonds, the new bonds renumbered to the new atoms.
    KelDbMolecule& operator+=(const KelDbMolecule& other);

    // The three header lines of the file, kept and written back as read.
    CString headerTitle;
    CString headerMaker;
    CString headerKind;
    // The host's six values (InitSp).
    SpBlock sp;

protected:
    // Puts every bond's smaller atom number first, then runs AssignAromaticTypes.
    void FixBondType();
    // The end of every exchange reader: dummy atoms go, hydrogens are folded into their
    // carbons when unite is non-zero, bond types are fixed and both type lists rebuilt.
    void FinishImport(int unite);

private:
    struct QsfIdTbl;
    friend class SdRecordReader;

    // ReadMdl's steps: header line 0, 1 or 2 taken into name, maker or kind; then the record
    // from the counts line (the stream's current line) to the last bond line.
    void ReadMdlHeaderLine(int index, std::string_view line);
    void ReadMdlTable(FileStream& in, int unite);

    // The reader's steps, each working from the stream's current position.
    static CString QsfFindObjectClass(FileStream& in);
    static int QsfFindParameters(FileStream& in, int count, const CString* names, int* columns);
    // symbol takes 5 bytes, name 3.
    static int QsfReadAtom(FileStream& in, int symColumn, int xyzColumn, int pchrgColumn,
                           int& id, char* symbol, Vertex3D& position, double& charge);
    static int QsfReadConn(FileStream& in, int cls1Column, int cls2Column, int id1Column,
                           int id2Column, int& id, int& atomId, int& bondId);
    static int QsfReadBond(FileStream& in, int typeColumn, int& id, char* name);
    static int QsfFindIndex(const QsfIdTbl* table, int id);
};

} // namespace qrtz
