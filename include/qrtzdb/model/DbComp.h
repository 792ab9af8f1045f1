#pragma once
#include "qrtzdb/platform/CString.h"
#include "qrtzdb/platform/SmallObjectPool.h"

namespace qrtz {

// A named component of the data model. The name doubles as the component's type: an atom's
// element, a bond's code, a molecule's species.
class DbComp {
public:
    // Atoms, bonds and molecules come by the million: they share pooled slabs.
    QRTZ_POOLED_ALLOCATION

    DbComp() = default;
    // A component named name; maxLength bytes of it at most.
    explicit DbComp(const char* name) { SetName(name); }
    DbComp(const char* name, unsigned int maxLength) { SetName(name, maxLength); }
    DbComp(const DbComp&) = default;
    DbComp& operator=(const DbComp&) = default;
    virtual ~DbComp() = default;

    // A deep copy of the same class; the caller owns it.
    virtual DbComp* Copy() const;

    // A copy of the name.
    CString GetName() const { return m_name; }
    // The name without a copy, for loops that compare many names.
    const CString& Name() const { return m_name; }

    // Stores name whole; null is the empty name.
    void SetName(const char* name) { m_name = name ? name : ""; }
    // Stores name, then keeps only its first maxLength bytes.
    void SetName(const char* name, unsigned int maxLength);

    // Turns the name into its next copy name ("CH4" -> "CH4~1" -> "CH4~2" ...), keeping it
    // within maxLength bytes. Returns 0, leaving the name, when no further copy name fits.
    int RenameAsCopy(int maxLength);

protected:
    // The name, also the component's type.
    CString m_name;
};

} // namespace qrtz
