#include "ImportCleanup.h"

#include <cstddef>

namespace qrtz::exchange {

namespace {

constexpr const char* kBondNames[7] = {"1 ", "2 ", "3 ", "AR", "C ", "PL", "R "};

} // namespace

const char* BondNameForCode(int code) {
    return code >= 1 && code <= 7 ? kBondNames[code - 1] : kBondNames[0];
}

int BondCodeForName(const CString& name) {
    for (int code = 1; code <= 7; ++code)
        if (name == kBondNames[code - 1]) return code;
    return 1;
}

void DeleteMarkedAtoms(DbMolecule& mol, const std::vector<char>& marked) {
    const int count = mol.GetAtomCount();
    // before[i]: marked atoms among the first i; a number past the last atom loses them all.
    std::vector<int> before(static_cast<std::size_t>(count) + 1, 0);
    for (int i = 0; i < count; ++i)
        before[static_cast<std::size_t>(i) + 1] =
            before[static_cast<std::size_t>(i)] +
            (static_cast<std::size_t>(i) < marked.size() && marked[static_cast<std::size_t>(i)]);
    if (before.back() == 0) return;

    int index = 0;
    for (POSITION pos = mol.GetAtomHeadPosition(); pos; ++index) {
        const POSITION here = pos;
        mol.GetAtomNext(pos);
        if (before[static_cast<std::size_t>(index) + 1] != before[static_cast<std::size_t>(index)])
            mol.DeleteAtom(here);
    }
    auto isMarked = [&](int number) {
        return number >= 1 && number <= count &&
               before[static_cast<std::size_t>(number)] != before[static_cast<std::size_t>(number) - 1];
    };
    // Numbers below 1 name no atom and stay as they are.
    auto renumber = [&](int number) {
        if (number < 1) return number;
        return number - before[static_cast<std::size_t>(number <= count ? number - 1 : count)];
    };
    for (POSITION pos = mol.GetBondHeadPosition(); pos;) {
        const POSITION here = pos;
        DbBondV* bond = mol.GetBondNext(pos);
        if (isMarked(bond->firstAtom) || isMarked(bond->secondAtom)) {
            mol.DeleteBond(here);
            continue;
        }
        bond->firstAtom = renumber(bond->firstAtom);
        bond->secondAtom = renumber(bond->secondAtom);
    }
}

void DeleteDummyAtoms(DbMolecule& mol) {
    std::vector<char> marked;
    marked.reserve(static_cast<std::size_t>(mol.GetAtomCount()));
    bool any = false;
    for (POSITION pos = mol.GetAtomHeadPosition(); pos;) {
        const bool dummy = mol.GetAtomNext(pos)->Name() == "Du  ";
        marked.push_back(dummy);
        any = any || dummy;
    }
    if (any) DeleteMarkedAtoms(mol, marked);
}

} // namespace qrtz::exchange
