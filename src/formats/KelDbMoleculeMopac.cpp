// The MOPAC-oriented geometry text: a counts line, atom lines with Cartesian coordinates,
// symbol and partial charge, and bond lines with their order codes, all free-format.
#include "ImportCleanup.h"
#include "TextLine.h"
#include "qrtzdb/formats/KelDbMolecule.h"

namespace qrtz {

namespace {

using textline::ElementCache;
using textline::LineBuilder;
using textline::TextRecord;

} // namespace

int KelDbMolecule::GetMopacClipboardSize() const {
    return (GetBondCount() + 2 * GetAtomCount() + 1) * 40;
}

void KelDbMolecule::ReadMopac(FileStream& in, int charge, int unite) {
    ClearAtom();
    ClearBond();
    InitSp();
    SetName("Mopac");
    headerMaker = "Kelvorn";
    headerKind = "Translated from a 3DMolData format";

    TextRecord record(in);
    record.Next("the counts line");
    // Counts that are not there, or not numbers, stay 0.
    int atoms = 0, bonds = 0;
    if (record.IsInt(0)) {
        atoms = record.Int(0, "atom count");
        if (record.IsInt(1)) bonds = record.Int(1, "bond count");
    }

    // Atoms and bonds are made as their lines arrive, never set aside from the counts.
    ElementCache elements;
    CString name;
    for (int i = 0; i < atoms; ++i) {
        record.Next("an atom line");
        Vertex3D position;
        position.x = record.Real(0, "x");
        position.y = record.Real(1, "y");
        position.z = record.Real(2, "z");
        name.assign(record.Text(3, "symbol").substr(0, 2));
        name.resize(2, ' ');
        name.append("  ");
        const double q = charge ? record.Real(4, "partial charge") : 0.0;
        const ElementCache::Entry& element = elements.Find(name);
        AppendAtom(CreateDbAtomV(name.c_str(), position, element.mass, q, element.radius));
    }
    UpdateAtomTypeList();

    for (int i = 0; i < bonds; ++i) {
        record.Next("a bond line");
        const int first = record.Int(0, "first atom");
        const int second = record.Int(1, "second atom");
        const int code = record.Int(2, "bond type");
        AppendBond(CreateDbBondV(exchange::BondNameForCode(code), first, second));
    }
    UpdateBondTypeList();

    FinishImport(unite);
}

void KelDbMolecule::WriteMopac(FileStream& out) const {
    LineBuilder line;
    line.Int(GetAtomCount(), 5).Blanks(1).Int(GetBondCount(), 5).WriteTo(out);
    for (POSITION pos = GetAtomHeadPosition(); pos;) {
        const DbAtomV* atom = GetAtomNext(pos);
        const std::string_view symbol = std::string_view(atom->Name()).substr(0, 2);
        line.Fixed(atom->position.x, 12, 4).Blanks(1).Fixed(atom->position.y, 12, 4).Blanks(1);
        line.Fixed(atom->position.z, 12, 4).Blanks(1).Text(symbol);
        line.Blanks(3 - static_cast<int>(symbol.size())).Blanks(1);
        line.Fixed(atom->charge, 10, 4).Text("  0  0").WriteTo(out);
    }
    for (POSITION pos = GetBondHeadPosition(); pos;) {
        const DbBondV* bond = GetBondNext(pos);
        line.Int(bond->firstAtom, 5).Blanks(1).Int(bond->secondAtom, 5).Blanks(1);
        line.Int(exchange::BondCodeForName(bond->Name()), 5).Text("  0").WriteTo(out);
    }
}

} // namespace qrtz
