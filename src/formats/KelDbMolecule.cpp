#include "qrtzdb/formats/KelDbMolecule.h"

#include "NativeRecords.h"
#include "qrtzdb/formats/KelDbAtomV.h"

namespace qrtz {

KelDbMolecule::KelDbMolecule()
    : headerTitle(kDefaultTitle), headerMaker(kDefaultMaker), headerKind(kDefaultKind) {}

KelDbMolecule::KelDbMolecule(const char* name)
    : DbMolecule(name), headerTitle(kDefaultTitle), headerMaker(kDefaultMaker),
      headerKind(kDefaultKind) {}

KelDbMolecule& KelDbMolecule::operator=(const KelDbMolecule& other) {
    headerTitle = other.headerTitle;
    headerMaker = other.headerMaker;
    headerKind = other.headerKind;
    sp = other.sp;
    DbMolecule::operator=(other);
    return *this;
}

DbComp* KelDbMolecule::Copy() const {
    auto* copy = new KelDbMolecule;
    *copy = *this;
    return copy;
}

DbAtomV* KelDbMolecule::CreateDbAtomV(const char* name, Vertex3D& position, double mass,
                                      double charge, double radius) {
    return new KelDbAtomV(name, position, mass, charge, radius);
}

int KelDbMolecule::GetKelvornClipboardSize() const {
    return (GetBondCount() + 4 * GetAtomCount() + 10) * 40;
}

void KelDbMolecule::ReadMoldb(FileStream& in) {
    ClearAtom();
    ClearBond();
    InitSp();

    native::TextRecord record(in);
    native::ReadHeader(record, headerTitle, headerMaker, headerKind);
    record.Next("the cell line");
    record.Next("the line after the cell line");
    record.Next("the counts line");
    native::Counts counts;
    native::ReadCounts(record, {"the atom count", "the bond count"}, 6, counts);
    SetName(counts.name.c_str());
    const int atoms = counts.values[0];
    const int bonds = counts.values[1];
    if (atoms < 0 || bonds < 0) record.Fail("a count is negative");

    // Nothing is set aside from the counts: atoms and bonds are made as their lines arrive, so
    // a count the input cannot hold ends at the end of the input.
    native::ElementCache elements;
    native::AtomFields atom;
    for (int i = 0; i < atoms; ++i) {
        record.Next("an atom line");
        native::ReadAtomLine(record, atom);
        native::AppendAtom(*this, atom, elements);
    }
    UpdateAtomTypeList();

    native::BondFields bond;
    for (int i = 0; i < bonds; ++i) {
        record.Next("a bond line");
        native::ReadBondLine(record, bond);
        AppendBond(CreateDbBondV(bond.name.c_str(), bond.first, bond.second));
    }
    UpdateBondTypeList();
}

void KelDbMolecule::WriteMoldb(FileStream& out) const {
    native::WriteHeader(out, headerTitle, headerMaker, headerKind);
    native::LineBuilder line;
    native::WriteCellLine(line, out, DbCell(0, 0, 0, 0, 0, 0));
    line.Int(1, 4).WriteTo(out);

    native::TypeNumbers types;
    types.Load(*this);
    line.Left(Name(), 16).Blanks(3).Int(GetAtomCount(), 4).Blanks(3).Int(GetBondCount(), 4);
    line.Blanks(3).Int(types.Count(), 4).Blanks(3).Int(1, 4).Blanks(3).Int(200, 4).WriteTo(out);

    for (POSITION pos = GetAtomHeadPosition(); pos;) {
        const DbAtomV* atom = GetAtomNext(pos);
        native::WriteAtomLine(line, out, types.Of(atom->Name()), *atom);
    }
    for (POSITION pos = GetBondHeadPosition(); pos;)
        native::WriteBondLine(line, out, *GetBondNext(pos));
    native::WriteZmatLines(line, out, *this);
}

} // namespace qrtz
