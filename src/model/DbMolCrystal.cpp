#include "qrtzdb/model/DbMolCrystal.h"

#include <algorithm>
#include <climits>
#include <queue>
#include <unordered_map>
#include <utility>
#include <vector>

#include "qrtzdb/basis/Calc.h"

namespace qrtz {

DbMolCrystal::DbMolCrystal() : DbComp("                ") {}

DbMolCrystal::DbMolCrystal(const char* name) : DbComp(name, kNameLength) {}

DbMolCrystal::DbMolCrystal(const char* name, double a_, double b_, double c_, double alpha_,
                           double beta_, double gamma_)
    : DbComp(name, kNameLength), DbCell(a_, b_, c_, alpha_, beta_, gamma_) {}

DbMolCrystal& DbMolCrystal::operator=(const DbMolCrystal& other) {
    DbComp::operator=(other);
    DbCell::operator=(other);
    DbMoleculeSet::operator=(other);
    return *this;
}

DbComp* DbMolCrystal::Copy() const {
    auto* copy = new DbMolCrystal;
    *copy = *this;
    return copy;
}

namespace {

// The molecules of one name while the type list is being restored. The first member (lowest
// index) is the one the others are compared with; settled members are known to match it,
// pending ones arrived since the species was last compared.
struct Species {
    const CString* name = nullptr;  // the map key
    int first = -1;
    int atoms = 0, bonds = 0;       // the first member's counts
    int minIndex = INT_MAX;         // lowest member index: the species' place in the type list
    int bornPass = -1;              // a species born in pass p is in the type list from p + 1
    bool waiting = false;           // holds pending members and is queued or listed for a pass
    std::vector<int> settled;
    std::vector<int> pending;
};

} // namespace

// The rule works in passes: rebuild the type list, then for each name in it compare every later
// molecule of that name with the first, renaming the mismatches, until a pass renames nothing.
// Only a species that gained members since it was last compared can rename anything, so a pass
// here visits just those, in type-list order (lowest member index at the pass's start), through a heap. A
// species that gains members during a pass joins it when its place in the type list is still
// ahead, and the next pass otherwise, as in the full walk. The cost is the molecule count plus
// the renames times a log, whatever the number of passes.
void DbMolCrystal::UpdateMolTypeList() {
    // One walk reads every molecule's name and counts; the passes work on these arrays.
    struct Member {
        DbMolecule* mol;
        int atoms, bonds;
    };
    std::vector<Member> mols;
    mols.reserve(static_cast<std::size_t>(GetMolCount()));

    std::unordered_map<CString, Species> species;
    auto speciesOf = [&species](const CString& name, int pass) -> Species& {
        auto [it, made] = species.try_emplace(name);
        if (made) {
            it->second.name = &it->first;
            it->second.bornPass = pass;
        }
        return it->second;
    };

    using Entry = std::pair<int, Species*>;  // place in the pass's type list, species
    std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> queue;
    std::vector<Species*> nextPass;

    Species* last = nullptr;  // molecules of a species usually come together
    for (POSITION pos = GetMolHeadPosition(); pos;) {
        DbMolecule* mol = GetMolNext(pos);
        if (!mol) continue;
        const int index = static_cast<int>(mols.size());
        mols.push_back({mol, mol->GetAtomCount(), mol->GetBondCount()});
        if (!last || *last->name != mol->Name()) last = &speciesOf(mol->Name(), -1);
        last->pending.push_back(index);
        if (!last->waiting) {
            last->waiting = true;
            last->minIndex = index;
            nextPass.push_back(last);
        }
    }

    struct Rename {
        int index;
        const CString* from;  // species names, stable while the map lives
        const CString* to;
    };
    std::vector<Rename> renames;  // this pass's, to recover the type list of its start
    std::vector<int> odd;

    for (int pass = 0; !nextPass.empty(); ++pass) {
        for (Species* s : nextPass) queue.emplace(s->minIndex, s);
        nextPass.clear();
        renames.clear();

        while (!queue.empty()) {
            const int place = queue.top().first;
            Species& s = *queue.top().second;
            queue.pop();
            s.waiting = false;

            int first = s.first;
            for (int p : s.pending)
                if (first < 0 || p < first) first = p;
            const int atoms = mols[first].atoms;
            const int bonds = mols[first].bonds;
            odd.clear();
            if (s.first >= 0 && first != s.first) {
                // A member ahead of the old first takes over; the old group matched the old
                // first, so it either matches the new one as a whole or not at all.
                if (atoms != s.atoms || bonds != s.bonds) {
                    odd.swap(s.settled);
                    odd.push_back(s.first);
                } else {
                    s.settled.push_back(s.first);
                }
            }
            s.first = first;
            s.atoms = atoms;
            s.bonds = bonds;
            for (int p : s.pending) {
                if (p == first) continue;
                if (mols[p].atoms == atoms && mols[p].bonds == bonds)
                    s.settled.push_back(p);
                else
                    odd.push_back(p);
            }
            s.pending.clear();
            if (odd.empty()) continue;

            // All odd members share one name, so they all go to one species, and a name
            // without a copy name fails on the first of them, before any rename.
            Species* target = nullptr;
            for (int index : odd) {
                DbMolecule* mol = mols[index].mol;
                if (!mol->RenameAsCopy(kNameLength)) {
                    // The type list is the one rebuilt at this pass's start.
                    for (auto r = renames.rbegin(); r != renames.rend(); ++r)
                        mols[r->index].mol->DbComp::SetName(r->from->c_str());
                    UpdateTypeList();
                    for (const Rename& r : renames)
                        mols[r.index].mol->DbComp::SetName(r.to->c_str());
                    return;
                }
                if (!target) target = &speciesOf(mol->Name(), pass);
                renames.push_back({index, s.name, target->name});
                const int oldMin = target->minIndex;
                target->pending.push_back(index);
                target->minIndex = std::min(target->minIndex, index);
                if (target->waiting) continue;
                target->waiting = true;
                // Its place in this pass's type list is its lowest index before it gained
                // members: still ahead of the species at hand means it is visited this pass.
                if (target->bornPass < pass && oldMin > place) queue.emplace(oldMin, target);
                else nextPass.push_back(target);
            }
        }
    }
    UpdateTypeList();
}

double DbMolCrystal::GetDensity() const {
    const double volume = GetVolume();
    if (volume == 0.0) return 0.0;
    return DbMoleculeSet::GetMass() * kGramPerAmu / volume;
}

double DbMolCrystal::GetDensity(int type) const {
    const CString* name = GetMolTypeAt(type);
    const double volume = GetVolume();
    if (!name || volume == 0.0) return 0.0;
    return DbMoleculeSet::GetMass(name->c_str()) * kGramPerAmu / volume;
}

double DbMolCrystal::GetDensity(int type, int atomType) const {
    const CString* name = GetMolTypeAt(type);
    const double volume = GetVolume();
    if (!name || volume == 0.0) return 0.0;
    double mass = 0.0;
    for (POSITION pos = GetMolHeadPosition(name->c_str()); pos;) {
        const DbMolecule* mol = GetMolNext(name->c_str(), pos);
        if (const CString* element = mol->GetAtomTypeAt(atomType))
            mass += mol->DbAtomVSet::GetMass(element->c_str());
    }
    return mass * kGramPerAmu / volume;
}

void DbMolCrystal::ReplaceMolTypeAt(int type, const DbAtomV* atom) {
    if (const CString* name = GetMolTypeAt(type)) ReplaceMolTypeOf(*name, atom);
}

void DbMolCrystal::ReplaceMolTypeAt(int type, const DbMolecule* mol) {
    if (const CString* name = GetMolTypeAt(type)) ReplaceMolTypeOf(*name, mol);
}

void DbMolCrystal::ReplaceMolTypeOf(CString name, const DbAtomV* atom) {
    if (!atom) return;
    DbMolecule* made = CreateDbMolecule(atom->Name().c_str());
    auto place = [&](const Vertex3D& at) {
        auto* copy = static_cast<DbAtomV*>(atom->Copy());
        copy->position = at;
        made->AppendAtom(copy);
    };
    // One walk instead of a search from the head per molecule; positions survive deletion.
    for (POSITION pos = GetMolHeadPosition(name.c_str()); pos;) {
        POSITION here = pos;
        DbMolecule* mol = GetMolNext(name.c_str(), pos);
        if (mol->GetBondCount() > 0) {
            place(mol->GetCenterOfMass());
        } else {
            for (POSITION a = mol->GetAtomHeadPosition(); a;) place(mol->GetAtomNext(a)->position);
        }
        DeleteMol(here);
    }
    made->UpdateAtomTypeList();
    AppendMol(made);
    UpdateMolTypeList();
}

void DbMolCrystal::ReplaceMolTypeOf(CString name, const DbMolecule* mol) {
    double H[3][3], Hinv[3][3];
    if (!mol || !GetHmatrix(H) || Calc::InverseMatrix(H, Hinv) != 0) return;
    auto* templ = static_cast<DbMolecule*>(mol->Copy());
    templ->AtZero();

    std::vector<DbMolecule*> made;
    auto place = [&](const Vertex3D& at) {
        auto* copy = static_cast<DbMolecule*>(templ->Copy());
        copy->DbAtomVSet::Transform(Hinv);
        copy->DbAtomVSet::Transform(at);
        made.push_back(copy);
    };
    for (POSITION pos = GetMolHeadPosition(name.c_str()); pos;) {
        POSITION here = pos;
        DbMolecule* old = GetMolNext(name.c_str(), pos);
        if (old->GetBondCount() > 0) {
            place(old->GetCenterOfMass());
        } else {
            for (POSITION a = old->GetAtomHeadPosition(); a;) place(old->GetAtomNext(a)->position);
        }
        DeleteMol(here);
    }
    delete templ;
    // The new molecules are appended as they are: a copy of each would be the same.
    for (DbMolecule* copy : made) AppendMol(copy);
    UpdateMolTypeList();
}

} // namespace qrtz
