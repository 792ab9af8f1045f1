#include "qrtzdb/formats/KelDbAtomV.h"

#include "NativeRecords.h"
#include "qrtzdb/environment/TblAtom.h"

namespace qrtz {

void KelDbAtomV::ReadAtom(FileStream& in) {
    textline::TextRecord record(in);
    record.Next("an atom record");
    CString symbol;
    int at = 0;
    // A blank name leaves five numbers where six fields are written, in the writer's columns.
    if (record.Count() == 5 && native::BlankNameInColumns(record, 0, 0, 10))
        symbol = native::kBlankAtom;
    else record.Symbol(at++, "the element symbol", symbol);
    mass = record.Real(at++, "the mass");
    position.x = record.Real(at++, "x");
    position.y = record.Real(at++, "y");
    position.z = record.Real(at++, "z");
    charge = record.Real(at, "the partial charge");
    SetName(symbol.c_str());
    radius = TblAtom::GetRadius(TblAtom::FindRegIndex(symbol.c_str()));
}

void KelDbAtomV::WriteAtom(FileStream& out) const {
    textline::LineBuilder line;
    line.Left(Name(), 4).Blanks(1).Fixed(mass, 10, 4).Blanks(1).Fixed(position.x, 10, 4);
    line.Blanks(1).Fixed(position.y, 10, 4).Blanks(1).Fixed(position.z, 10, 4).Blanks(1);
    line.Fixed(charge, 10, 4).WriteTo(out);
}

} // namespace qrtz
