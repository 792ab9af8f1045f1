#pragma once
#include "qrtzdb/basis/FileStream.h"
#include "qrtzdb/model/DbCrystal.h"
#include "qrtzdb/platform/CString.h"

namespace qrtz {

// A crystal with the crystal database format (".cry"): three header lines, the cell line, a
// fixed line, a counts line and one line per atom in fractional coordinates.
class KelDbCrystal : public DbCrystal {
public:
    // The header lines a new crystal writes.
    static constexpr const char* kDefaultTitle = "KELVORN Crystal Database File";
    static constexpr const char* kDefaultMaker = "BRELLIX";
    static constexpr const char* kDefaultKind = "Crystal";

    KelDbCrystal();
    ~KelDbCrystal() override = default;

    // Header fields, then the DbCrystal part.
    KelDbCrystal& operator=(const KelDbCrystal& other);

    DbComp* Copy() const override;

    // Replaces the atoms, name, header fields and the six lattice constants; the rest of the
    // cell stays. Malformed or missing input throws FsException(1) naming the line; what was
    // read before stays and the atom type list is then not rebuilt.
    void ReadCrydb(FileStream& in);
    void WriteCrydb(FileStream& out) const;

    // The three header lines of the file, kept and written back as read.
    CString headerTitle;
    CString headerMaker;
    CString headerKind;
};

} // namespace qrtz
