#pragma once
// Shared helpers of the molecular crystal tests.
#include <cmath>
#include <string>
#include <vector>

#include "qrtzdb/model/DbMolCrystal.h"

namespace qrtz::testing {

// A molecule of the crystal's class with atoms "C" of mass 12 at x = 0.01·n and bonds 1-2.
inline DbMolecule* shaped(DbMolCrystal& crystal, const char* name, int atoms, int bonds) {
    DbMolecule* mol = crystal.CreateDbMolecule(name);
    for (int n = 0; n < atoms; ++n)
        mol->AppendAtom(mol->CreateDbAtomV("C", Vertex3D(0.01 * n, 0.5, 0.5), 12.0, 0, 0));
    for (int n = 0; n < bonds; ++n) mol->AppendBond(mol->CreateDbBondV("1 ", 1, 2));
    return mol;
}

// Bromochlorofluoromethane in Cartesian ångström: chiral, an asymmetric top, four bonds.
inline DbMolecule* chiral() {
    auto* mol = new DbMolecule("CHFClBr");
    const double k = 1 / std::sqrt(3.0);
    struct { const char* name; double mass, x, y, z; } atoms[] = {
        {"C", 12.011, 0, 0, 0},
        {"H", 1.008, 1.09 * k, 1.09 * k, 1.09 * k},
        {"F", 18.998, -1.35 * k, -1.35 * k, 1.35 * k},
        {"Cl", 35.45, -1.77 * k, 1.77 * k, -1.77 * k},
        {"Br", 79.904, 1.94 * k, -1.94 * k, -1.94 * k}};
    for (const auto& a : atoms)
        mol->AppendAtom(mol->CreateDbAtomV(a.name, Vertex3D(a.x, a.y, a.z), a.mass, 0, 0));
    for (int n = 2; n <= 5; ++n) mol->AppendBond(mol->CreateDbBondV("1 ", 1, n));
    mol->UpdateAtomTypeList();
    return mol;
}

inline std::vector<Vertex3D> positions(const DbMolecule& mol) {
    std::vector<Vertex3D> out;
    for (POSITION pos = mol.GetAtomHeadPosition(); pos;)
        out.push_back(mol.GetAtomNext(pos)->position);
    return out;
}

// The atoms of a molecule of crystal, in Cartesian ångström.
inline std::vector<Vertex3D> cartesian(const DbMolCrystal& crystal, const DbMolecule& mol) {
    double H[3][3];
    crystal.GetHmatrix(H);
    std::vector<Vertex3D> out = positions(mol);
    for (Vertex3D& r : out) r = r.Transform(H);
    return out;
}

// Positive for right-handed a, b, c, d; a mirror image flips the sign.
inline double signedVolume(const std::vector<Vertex3D>& r, int a = 1, int b = 2, int c = 3,
                           int d = 4) {
    return Dot(r[b] - r[a], Cross(r[c] - r[a], r[d] - r[a]));
}

inline std::vector<std::string> names(const DbMolCrystal& crystal) {
    std::vector<std::string> out;
    for (POSITION pos = crystal.GetMolHeadPosition(); pos;)
        out.push_back(crystal.GetMolNext(pos)->GetName());
    return out;
}

inline std::vector<std::string> types(const DbMolCrystal& crystal) {
    std::vector<std::string> out;
    for (int t = 0; t < crystal.GetMolTypeCount(); ++t) out.push_back(*crystal.GetMolTypeAt(t));
    return out;
}

} // namespace qrtz::testing
