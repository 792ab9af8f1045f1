#pragma once
#include "qrtzdb/model/DbComp.h"

namespace qrtz {

// A bond type; its name is the 2-byte bond-type code ("1 ", "2 ", "AR", ...).
class DbBond : public DbComp {
public:
    // Bytes kept of a bond name: the order code ("1 ", "2 ", "AR" ...).
    static constexpr unsigned int kNameLength = 2;

    DbBond() : DbComp("  ") {}
    // A bond named name (cut to 2 bytes).
    explicit DbBond(const char* name) : DbComp(name, kNameLength) {}
    DbBond(const DbBond&) = default;
    DbBond& operator=(const DbBond&) = default;
    ~DbBond() override = default;

    DbComp* Copy() const override { return new DbBond(*this); }

    // Cuts the name to 2 bytes. Hides DbComp::SetName: a name set through DbComp stays uncut.
    void SetName(const char* name) { DbComp::SetName(name, kNameLength); }
};

// A bond between two atoms given by their 1-based numbers in the owning structure.
class DbBondV : public DbBond {
public:
    DbBondV() = default;
    // A bond named name between two atoms (1-based numbers).
    DbBondV(const char* name, int firstAtom_, int secondAtom_)
        : DbBond(name), firstAtom(firstAtom_), secondAtom(secondAtom_) {}
    DbBondV(const DbBondV&) = default;
    DbBondV& operator=(const DbBondV&) = default;
    ~DbBondV() override = default;

    DbComp* Copy() const override { return new DbBondV(*this); }

    // The bonded atoms, 1-based numbers within the owning set.
    int firstAtom = 0;
    int secondAtom = 0;
};

} // namespace qrtz
