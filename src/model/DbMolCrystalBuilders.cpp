// The builders of DbMolCrystal: lattices of one atom or one molecule, supercells, the mirror
// and the split of mixed atom groups.
#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "qrtzdb/basis/Calc.h"
#include "qrtzdb/model/DbMolCrystal.h"

namespace qrtz {

namespace {

// An angle in [0, 360) degrees from one draw.
double randomAngle() {
    const double r = Calc::Random();
    return r == 1.0 ? 0.0 : r * 360.0;
}

std::vector<const DbMolecule*> snapshot(const DbMoleculeSet& set) {
    std::vector<const DbMolecule*> mols;
    mols.reserve(static_cast<std::size_t>(set.GetMolCount()));
    for (POSITION pos = set.GetMolHeadPosition(); pos;) {
        const DbMolecule* mol = set.GetMolNext(pos);
        if (mol) mols.push_back(mol);
    }
    return mols;
}

DbMolecule* copyOf(const DbMolecule* mol) { return static_cast<DbMolecule*>(mol->Copy()); }

} // namespace

void DbMolCrystal::CreateStructure(const DbAtomV* atom, int count, const double pos[][3],
                                   int n) {
    if (!atom) return;
    if (!pos) count = 0;
    ClearMol();
    DbMolecule* mol = CreateDbMolecule(atom->Name().c_str());
    AppendMol(mol);
    const double s = n > 0 ? 1.0 / n : 0.0;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            for (int k = 0; k < n; ++k)
                for (int p = 0; p < count; ++p) {
                    auto* copy = static_cast<DbAtomV*>(atom->Copy());
                    copy->position = Vertex3D((i + pos[p][0]) * s, (j + pos[p][1]) * s,
                                              (k + pos[p][2]) * s);
                    mol->AppendAtom(copy);
                }
    mol->UpdateAtomTypeList();
    UpdateMolTypeList();
}

void DbMolCrystal::CreateStructure(const DbMolecule* mol, int count, const double pos[][3],
                                   int n, double phi, double theta, double psi) {
    double H[3][3], Hinv[3][3];
    if (!mol || !GetHmatrix(H) || Calc::InverseMatrix(H, Hinv) != 0) return;
    if (!pos) count = 0;
    std::unique_ptr<DbMolecule> templ(copyOf(mol));
    templ->AtZero();
    const bool random = phi < 0 || theta < 0 || psi < 0;

    ClearMol();
    const double s = n > 0 ? 1.0 / n : 0.0;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            for (int k = 0; k < n; ++k)
                for (int p = 0; p < count; ++p) {
                    DbMolecule* copy = copyOf(templ.get());
                    if (random) {
                        phi = randomAngle();
                        theta = randomAngle();
                        psi = randomAngle();
                    }
                    copy->SetEulerAngle(phi, theta, psi);
                    copy->DbAtomVSet::Transform(Hinv);
                    copy->DbAtomVSet::Transform(Vertex3D(
                        (i + pos[p][0]) * s, (j + pos[p][1]) * s, (k + pos[p][2]) * s));
                    AppendMol(copy);
                }
    UpdateMolTypeList();
}

void DbMolCrystal::CreateSc(const DbAtomV* atom, int n) {
    if (n <= 0) return;
    double pos[1][3];
    Calc::ScPos(pos);
    CreateStructure(atom, 1, pos, n);
}

void DbMolCrystal::CreateFcc(const DbAtomV* atom, int n) {
    if (n <= 0) return;
    double pos[4][3];
    Calc::FccPos(pos);
    CreateStructure(atom, 4, pos, n);
}

void DbMolCrystal::CreateBcc(const DbAtomV* atom, int n) {
    if (n <= 0) return;
    double pos[2][3];
    Calc::BccPos(pos);
    CreateStructure(atom, 2, pos, n);
}

void DbMolCrystal::CreateDia(const DbAtomV* atom, int n) {
    if (n <= 0) return;
    double pos[8][3];
    Calc::DiaPos(pos);
    CreateStructure(atom, 8, pos, n);
}

void DbMolCrystal::CreateSc(const DbMolecule* mol, int n, double phi, double theta,
                            double psi) {
    if (n <= 0) return;
    double pos[1][3];
    Calc::ScPos(pos);
    CreateStructure(mol, 1, pos, n, phi, theta, psi);
}

void DbMolCrystal::CreateFcc(const DbMolecule* mol, int n, double phi, double theta,
                             double psi) {
    if (n <= 0) return;
    double pos[4][3];
    Calc::FccPos(pos);
    CreateStructure(mol, 4, pos, n, phi, theta, psi);
}

void DbMolCrystal::CreateBcc(const DbMolecule* mol, int n, double phi, double theta,
                             double psi) {
    if (n <= 0) return;
    double pos[2][3];
    Calc::BccPos(pos);
    CreateStructure(mol, 2, pos, n, phi, theta, psi);
}

void DbMolCrystal::CreateDia(const DbMolecule* mol, int n, double phi, double theta,
                             double psi) {
    if (n <= 0) return;
    double pos[8][3];
    Calc::DiaPos(pos);
    CreateStructure(mol, 8, pos, n, phi, theta, psi);
}

void DbMolCrystal::CreateStructure(const DbMolCrystal* src, int nx, int ny, int nz) {
    if (!src) return;
    // Building over its own source: work from a copy of the source taken first.
    std::unique_ptr<DbComp> own;
    if (src == this) {
        own.reset(Copy());
        src = dynamic_cast<const DbMolCrystal*>(own.get());
        if (!src) {  // a derived Copy that lost the crystal
            own.reset(DbMolCrystal::Copy());
            src = static_cast<const DbMolCrystal*>(own.get());
        }
    }
    a = nx * src->a;
    b = ny * src->b;
    c = nz * src->c;
    alpha = src->alpha;
    beta = src->beta;
    gamma = src->gamma;
    ClearMol();
    if (nx <= 0 || ny <= 0 || nz <= 0) {
        UpdateMolTypeList();
        return;
    }

    // Bonded molecules go through Cartesian space as rigid bodies. Without both matrices (a
    // flat cell) they are mapped atom by atom, which is the same map for a cell of the
    // constants alone.
    double Hs[3][3], H[3][3], Hinv[3][3];
    const bool rigid =
        src->GetHmatrix(Hs) && GetHmatrix(H) && Calc::InverseMatrix(H, Hinv) == 0;
    const std::vector<const DbMolecule*> mols = snapshot(*src);
    for (int i = 0; i < nx; ++i)
        for (int j = 0; j < ny; ++j)
            for (int k = 0; k < nz; ++k)
                for (const DbMolecule* mol : mols) {
                    DbMolecule* copy = copyOf(mol);
                    if (rigid && copy->GetBondCount() > 0) {
                        const Vertex3D g = copy->GetCenterOfMass();
                        copy->AtZero();
                        copy->DbAtomVSet::Transform(Hs);
                        copy->DbAtomVSet::Transform(Hinv);
                        copy->DbAtomVSet::Transform(
                            Vertex3D((i + g.x) / nx, (j + g.y) / ny, (k + g.z) / nz));
                    } else {
                        for (POSITION pos = copy->GetAtomHeadPosition(); pos;) {
                            DbAtomV* atom = copy->GetAtomNext(pos);
                            const Vertex3D& f = atom->position;
                            atom->position =
                                Vertex3D((i + f.x) / nx, (j + f.y) / ny, (k + f.z) / nz);
                        }
                    }
                    AppendMol(copy);
                }
    UpdateMolTypeList();
}

DbMolCrystal* DbMolCrystal::CopySymmetry(int nx, int ny, int nz) const {
    DbComp* made = Copy();
    auto* result = dynamic_cast<DbMolCrystal*>(made);
    if (!result) {  // a derived Copy that lost the crystal: fall back to a plain one
        delete made;
        result = static_cast<DbMolCrystal*>(DbMolCrystal::Copy());
    }
    result->a *= nx;
    result->b *= ny;
    result->c *= nz;
    result->ClearMol();
    if (nx <= 0 || ny <= 0 || nz <= 0) {
        result->UpdateMolTypeList();
        return result;
    }

    auto image = [&](const Vertex3D& f, int i, int j, int k) {
        return Vertex3D((i + f.x) / nx, (j + f.y) / ny, (k + f.z) / nz);
    };
    for (const DbMolecule* mol : snapshot(*this)) {
        if (mol->GetBondCount() > 0) {
            for (int i = 0; i < nx; ++i)
                for (int j = 0; j < ny; ++j)
                    for (int k = 0; k < nz; ++k) {
                        DbMolecule* copy = copyOf(mol);
                        for (POSITION pos = copy->GetAtomHeadPosition(); pos;) {
                            DbAtomV* atom = copy->GetAtomNext(pos);
                            atom->position = image(atom->position, i, j, k);
                        }
                        result->AppendMol(copy);
                    }
            continue;
        }
        DbMolecule* group = copyOf(mol);
        group->ClearAtom();
        std::vector<const DbAtomV*> atoms;
        atoms.reserve(static_cast<std::size_t>(mol->GetAtomCount()));
        for (POSITION pos = mol->GetAtomHeadPosition(); pos;)
            atoms.push_back(mol->GetAtomNext(pos));
        for (int i = 0; i < nx; ++i)
            for (int j = 0; j < ny; ++j)
                for (int k = 0; k < nz; ++k)
                    for (const DbAtomV* atom : atoms) {
                        auto* copy = static_cast<DbAtomV*>(atom->Copy());
                        copy->position = image(atom->position, i, j, k);
                        group->AppendAtom(copy);
                    }
        group->UpdateAtomTypeList();
        result->AppendMol(group);
    }
    result->UpdateMolTypeList();
    return result;
}

void DbMolCrystal::Mirror(int x, int y, int z) {
    for (POSITION pos = GetMolHeadPosition(); pos;) {
        DbMolecule* mol = GetMolNext(pos);
        if (!mol) continue;
        for (POSITION at = mol->GetAtomHeadPosition(); at;) {
            Vertex3D& f = mol->GetAtomNext(at)->position;
            if (x) f.x = 1.0 - f.x;
            if (y) f.y = 1.0 - f.y;
            if (z) f.z = 1.0 - f.z;
        }
    }
}

void DbMolCrystal::Reconstruct() {
    // The first molecule of each name, from one walk.
    std::unordered_map<CString, const DbMolecule*> firstOf;
    for (const DbMolecule* mol : snapshot(*this)) firstOf.try_emplace(mol->Name(), mol);

    DbMolCrystal parts;
    std::unordered_set<CString> split;
    const int types = GetMolTypeCount();
    for (int t = 0; t < types; ++t) {
        const CString& name = *GetMolTypeAt(t);
        auto found = firstOf.find(name);
        if (found == firstOf.end()) continue;
        const DbMolecule* first = found->second;
        if (first->GetBondCount() > 0) break;

        // The atom types as the atoms name them, in order of first appearance: the molecule's
        // type list when it is current, and no atom left behind when it is not.
        std::vector<DbMolecule*> byType;
        std::unordered_map<CString, DbMolecule*> target;
        std::vector<std::pair<DbMolecule*, const DbAtomV*>> order;
        for (POSITION pos = first->GetAtomHeadPosition(); pos;) {
            const DbAtomV* atom = first->GetAtomNext(pos);
            auto [it, made] = target.try_emplace(atom->Name(), nullptr);
            if (made) {
                it->second = CreateDbMolecule(atom->Name().c_str());
                byType.push_back(it->second);
            }
            order.emplace_back(it->second, atom);
        }
        if (byType.size() == 1) {
            delete byType.front();
            break;
        }
        split.insert(name);
        for (auto& [mol, atom] : order) mol->AppendAtom(static_cast<DbAtomV*>(atom->Copy()));
        for (DbMolecule* mol : byType) {
            mol->UpdateAtomTypeList();
            parts.AppendMol(mol);
        }
    }
    parts.UpdateMolTypeList();

    if (!split.empty()) {
        for (POSITION pos = GetMolHeadPosition(); pos;) {
            POSITION here = pos;
            const DbMolecule* mol = GetMolNext(pos);
            if (mol && split.count(mol->Name())) DeleteMol(here);
        }
    }
    // Moved rather than copied: a copy of each would be the same.
    while (parts.GetMolCount() > 0) AppendMol(parts.RemoveMol(parts.GetMolHeadPosition()));
    UpdateMolTypeList();
}

} // namespace qrtz
