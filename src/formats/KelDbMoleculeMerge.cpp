// Preparing molecules from other programs: united atoms, bond order and aromatic types,
// taking over a plain molecule, appending one molecule to another.
#include <cstddef>
#include <utility>
#include <vector>

#include "ImportCleanup.h"
#include "qrtzdb/formats/KelDbMolecule.h"
#include "qrtzdb/model/BenBond.h"

namespace qrtz {

KelDbMolecule::KelDbMolecule(const DbMolecule& source, int unite) : KelDbMolecule() {
    SetMol(source, unite);
    InitSp();
}

void KelDbMolecule::SetMol(const DbMolecule& source, int unite) {
    if (&source != this) DbMolecule::operator=(source);
    if (unite) Unite();
    FixBondType();
    UpdateAtomTypeList();
    UpdateBondTypeList();
}

void KelDbMolecule::Unite() {
    std::vector<DbAtomV*> atoms;
    atoms.reserve(static_cast<std::size_t>(GetAtomCount()));
    for (POSITION pos = GetAtomHeadPosition(); pos;) atoms.push_back(GetAtomNext(pos));
    const int count = static_cast<int>(atoms.size());
    if (count == 0) return;

    // Each atom's first bond, and the atom at its other end.
    std::vector<int> partner(static_cast<std::size_t>(count) + 1, 0);
    std::vector<char> seen(static_cast<std::size_t>(count) + 1, 0);
    for (POSITION pos = GetBondHeadPosition(); pos;) {
        const DbBondV* bond = GetBondNext(pos);
        const int ends[2][2] = {{bond->firstAtom, bond->secondAtom},
                                {bond->secondAtom, bond->firstAtom}};
        for (const auto& end : ends) {
            if (end[0] < 1 || end[0] > count || seen[static_cast<std::size_t>(end[0])]) continue;
            seen[static_cast<std::size_t>(end[0])] = 1;
            partner[static_cast<std::size_t>(end[0])] = end[1];
        }
    }

    std::vector<char> folded(static_cast<std::size_t>(count), 0);
    bool any = false;
    for (int i = 0; i < count; ++i) {
        const DbAtomV* hydrogen = atoms[static_cast<std::size_t>(i)];
        if (hydrogen->Name().compare(0, 2, "H ") != 0) continue;
        const int p = partner[static_cast<std::size_t>(i) + 1];
        if (p < 1 || p > count) continue;
        DbAtomV* carbon = atoms[static_cast<std::size_t>(p) - 1];
        if (carbon->Name().compare(0, 2, "C ") != 0) continue;
        CString name = carbon->Name();
        if (name.size() < 4) name.resize(4, ' ');
        auto& counter = reinterpret_cast<unsigned char&>(name[3]);
        if (counter == ' ') counter = '1';
        else if (counter != 0xff) ++counter;  // past 255 the count stays
        carbon->DbComp::SetName(name.c_str());
        carbon->mass += hydrogen->mass;
        carbon->charge += hydrogen->charge;
        folded[static_cast<std::size_t>(i)] = 1;
        any = true;
    }
    if (any) exchange::DeleteMarkedAtoms(*this, folded);
}

void KelDbMolecule::FinishImport(int unite) {
    exchange::DeleteDummyAtoms(*this);
    if (unite) Unite();
    FixBondType();
    UpdateAtomTypeList();
    UpdateBondTypeList();
}

void KelDbMolecule::FixBondType() {
    for (POSITION pos = GetBondHeadPosition(); pos;) {
        DbBondV* bond = GetBondNext(pos);
        if (bond->firstAtom > bond->secondAtom) std::swap(bond->firstAtom, bond->secondAtom);
    }
    AssignAromaticTypes(this);
}

KelDbMolecule& KelDbMolecule::operator+=(const KelDbMolecule& other) {
    const int atoms = GetAtomCount();
    const int bonds = GetBondCount();
    DbAtomVSet::operator+=(other);
    DbBondVSet::operator+=(other);
    POSITION pos = GetBondHeadPosition();
    for (int i = 0; i < bonds && pos; ++i) GetBondNext(pos);
    // Numbers that name no atom wrap rather than overflow.
    auto shift = [atoms](int n) { return static_cast<int>(static_cast<unsigned>(n) + static_cast<unsigned>(atoms)); };
    while (pos) {
        DbBondV* bond = GetBondNext(pos);
        bond->firstAtom = shift(bond->firstAtom);
        bond->secondAtom = shift(bond->secondAtom);
    }
    UpdateAtomTypeList();
    UpdateBondTypeList();
    return *this;
}

} // namespace qrtz
