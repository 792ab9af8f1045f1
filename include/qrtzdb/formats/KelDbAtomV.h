#pragma once
#include "qrtzdb/basis/FileStream.h"
#include "qrtzdb/basis/Vertex3D.h"
#include "qrtzdb/model/DbAtom.h"

namespace qrtz {

// An atom that reads and writes itself as one atom record of the native text databases:
// "%-4s %10.4f %10.4f %10.4f %10.4f %10.4f" with name, mass, x, y, z and partial charge. The
// atom clipboard carries one such record.
class KelDbAtomV : public DbAtomV {
public:
    KelDbAtomV() = default;
    KelDbAtomV(const KelDbAtomV&) = default;
    // An atom at position with mass, charge and radius.
    KelDbAtomV(const char* name, const Vertex3D& position_, double mass_, double charge_,
               double radius_)
        : DbAtomV(name, position_, mass_, charge_, radius_) {}
    KelDbAtomV& operator=(const KelDbAtomV&) = default;
    ~KelDbAtomV() override = default;

    DbComp* Copy() const override { return new KelDbAtomV(*this); }

    // Takes mass, position and charge in record order, then the name (cut to 4 bytes) and the
    // element table's radius for it; nothing else of the atom changes. A record whose name is
    // blank holds five numbers and reads as an atom named "    ". Malformed or missing input
    // throws FsException(1) naming the line; the values taken before the fault stay.
    void ReadAtom(FileStream& in);
    void WriteAtom(FileStream& out) const;

    // Every DbAtomV datum of atom, the name included.
    void SetAtom(const DbAtomV& atom) { DbAtomV::operator=(atom); }

    // Bytes the clipboard sets aside for one record.
    int GetKelvornClipboardSize() const { return 80; }
};

} // namespace qrtz
