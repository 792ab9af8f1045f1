#include "qrtzdb/formats/KelDbCrystal.h"

#include "NativeRecords.h"

namespace qrtz {

KelDbCrystal::KelDbCrystal()
    : headerTitle(kDefaultTitle), headerMaker(kDefaultMaker), headerKind(kDefaultKind) {}

KelDbCrystal& KelDbCrystal::operator=(const KelDbCrystal& other) {
    headerTitle = other.headerTitle;
    headerMaker = other.headerMaker;
    headerKind = other.headerKind;
    DbCrystal::operator=(other);
    return *this;
}

DbComp* KelDbCrystal::Copy() const {
    auto* copy = new KelDbCrystal;
    *copy = *this;
    return copy;
}

void KelDbCrystal::ReadCrydb(FileStream& in) {
    ClearAtom();

    native::TextRecord record(in);
    native::ReadHeader(record, headerTitle, headerMaker, headerKind);
    native::ReadCellLine(record, *this);
    record.Next("the line after the cell line");
    record.Next("the counts line");
    native::Counts counts;
    native::ReadCounts(record, {"the atom count"}, 6, counts);
    SetName(counts.name.c_str());
    const int atoms = counts.values[0];
    if (atoms < 0) record.Fail("the atom count is negative");

    native::ElementCache elements;
    native::AtomFields atom;
    for (int i = 0; i < atoms; ++i) {
        record.Next("an atom line");
        native::ReadAtomLine(record, atom);
        native::AppendAtom(*this, atom, elements);
    }
    UpdateAtomTypeList();
}

void KelDbCrystal::WriteCrydb(FileStream& out) const {
    native::WriteHeader(out, headerTitle, headerMaker, headerKind);
    native::LineBuilder line;
    native::WriteCellLine(line, out, *this);
    line.Int(1, 4).WriteTo(out);

    native::TypeNumbers types;
    types.Load(*this);
    // The crystal's name goes out as it is, without the padding the molecular formats give it.
    line.Text(Name()).Blanks(3).Int(GetAtomCount(), 4).Blanks(3).Int(0, 4).Blanks(3);
    line.Int(types.Count(), 4).Blanks(3).Int(1, 4).Blanks(3).Int(200, 4).WriteTo(out);

    for (POSITION pos = GetAtomHeadPosition(); pos;) {
        const DbAtomV* atom = GetAtomNext(pos);
        native::WriteAtomLine(line, out, types.Of(atom->Name()), *atom);
    }
}

} // namespace qrtz
