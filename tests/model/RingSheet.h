#pragma once
// Fused six-membered rings cut from a honeycomb, for the aromatic bond tests.
#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "qrtzdb/model/DbMolecule.h"

namespace qrtz::testing {

class RingSheet {
public:
    struct Atom {
        std::string name;
        Vertex3D position;
    };
    struct Bond {
        int first, second;
        std::string name;
    };

    explicit RingSheet(double bondLength = 1.39) : m_d(bondLength) {}

    // The hexagon of axial cell (q, r) of a pointy-top honeycomb, moved by offset; atoms and
    // bonds shared with hexagons added before are not added again. Ring bonds are "AR".
    void AddCell(int q, int r, Vertex3D offset = Vertex3D()) {
        const double cx = std::sqrt(3.0) * m_d * (q + r / 2.0) + offset.x;
        const double cy = 1.5 * m_d * r + offset.y;
        int corner[6];
        for (int k = 0; k < 6; ++k) {
            const double angle = (30.0 + 60.0 * k) * 3.141592653589793 / 180.0;
            corner[k] = AddAtom("C   ", Vertex3D(cx + m_d * std::cos(angle),
                                                cy + m_d * std::sin(angle), offset.z));
        }
        for (int k = 0; k < 6; ++k) AddBond(corner[k], corner[(k + 1) % 6], "AR");
    }

    // The atom at position (one per place), 1-based.
    int AddAtom(const char* name, Vertex3D position) {
        const auto key = std::make_tuple(std::lround(position.x * 1000), std::lround(position.y * 1000),
                                         std::lround(position.z * 1000));
        const auto it = m_places.find(key);
        if (it != m_places.end()) return it->second;
        atoms.push_back({name, position});
        return m_places[key] = static_cast<int>(atoms.size());
    }

    // Stored smaller number first, as imported molecules have them.
    void AddBond(int a, int b, const char* name) {
        if (m_bonded.emplace(std::min(a, b), std::max(a, b)).second)
            bonds.push_back({std::min(a, b), std::max(a, b), name});
    }

    // A hydrogen 1.09 Å out from every carbon with two bonds, on the bisector.
    void AddHydrogens() {
        const int carbons = static_cast<int>(atoms.size());
        for (int a = 1; a <= carbons; ++a) {
            Vertex3D sum;
            int count = 0;
            for (const Bond& b : bonds)
                if (b.first == a || b.second == a) {
                    sum += atoms[static_cast<std::size_t>(b.first == a ? b.second : b.first) - 1].position;
                    ++count;
                }
            if (count != 2) continue;
            const Vertex3D r = atoms[static_cast<std::size_t>(a) - 1].position;
            sum *= 0.5;
            Vertex3D out = r - sum;
            out *= 1.09 / std::sqrt(Dot(out, out));
            AddBond(a, AddAtom("H   ", r + out), "1 ");
        }
    }

    void Fill(DbMolecule& mol) const {
        for (const Atom& a : atoms)
            mol.AppendAtom(mol.CreateDbAtomV(a.name.c_str(), a.position, 12.0, 0, 0));
        for (const Bond& b : bonds) mol.AppendBond(mol.CreateDbBondV(b.name.c_str(), b.first, b.second));
    }

    std::vector<Atom> atoms;
    std::vector<Bond> bonds;

private:
    double m_d;
    std::map<std::tuple<long, long, long>, int> m_places;
    std::set<std::pair<int, int>> m_bonded;
};

inline std::vector<std::string> bondNames(const DbMolecule& mol) {
    std::vector<std::string> out;
    for (POSITION pos = mol.GetBondHeadPosition(); pos;) out.push_back(mol.GetBondNext(pos)->GetName());
    return out;
}

inline std::vector<std::string> atomNames(const DbMolecule& mol) {
    std::vector<std::string> out;
    for (POSITION pos = mol.GetAtomHeadPosition(); pos;) out.push_back(mol.GetAtomNext(pos)->GetName());
    return out;
}

} // namespace qrtz::testing
