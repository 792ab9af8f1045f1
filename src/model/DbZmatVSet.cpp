#include "qrtzdb/model/DbZmatVSet.h"

#include <algorithm>
#include <cstddef>
#include <functional>
#include <vector>

namespace qrtz {

namespace {

bool excluded(int c, int x1, int x2, int x3) { return c == x1 || c == x2 || c == x3; }

int fallback(int n, int x1, int x2, int x3) {
    for (int c = n - 1; c >= n - 3; --c)
        if (!excluded(c, x1, x2, x3)) return c;
    return 0;
}

// Each atom's bonded neighbours, ascending and without repeats, in one flat array. Bonds to
// numbers outside 1..count never yield a reference, so they are left out.
class Neighbours {
public:
    Neighbours(const DbBondVSet& bonds, int count)
        : m_start(static_cast<std::size_t>(count) + 2, 0) {
        auto valid = [count](int a) { return a >= 1 && a <= count; };
        for (POSITION pos = bonds.GetBondHeadPosition(); pos;) {
            const DbBondV* bond = bonds.GetBondNext(pos);
            if (!valid(bond->firstAtom) || !valid(bond->secondAtom)) continue;
            ++m_start[static_cast<std::size_t>(bond->firstAtom) + 1];
            ++m_start[static_cast<std::size_t>(bond->secondAtom) + 1];
        }
        for (std::size_t a = 1; a < m_start.size(); ++a) m_start[a] += m_start[a - 1];
        m_list.resize(m_start.back());
        std::vector<std::size_t> fill(m_start.begin(), m_start.end() - 1);
        for (POSITION pos = bonds.GetBondHeadPosition(); pos;) {
            const DbBondV* bond = bonds.GetBondNext(pos);
            if (!valid(bond->firstAtom) || !valid(bond->secondAtom)) continue;
            m_list[fill[static_cast<std::size_t>(bond->firstAtom)]++] = bond->secondAtom;
            m_list[fill[static_cast<std::size_t>(bond->secondAtom)]++] = bond->firstAtom;
        }
        m_end.resize(m_start.size() - 1);
        for (std::size_t a = 0; a + 1 < m_start.size(); ++a) {
            auto first = m_list.begin() + static_cast<std::ptrdiff_t>(m_start[a]);
            auto last = m_list.begin() + static_cast<std::ptrdiff_t>(m_start[a + 1]);
            std::sort(first, last);
            m_end[a] = static_cast<std::size_t>(std::unique(first, last) - m_list.begin());
        }
    }

    // The same choice as DbZmatVSet::SearchIndex: the highest neighbour of atom up to n - 1
    // that is none of x1, x2, x3, found from the top down, so at most three are skipped.
    int Search(int n, int atom, int x1, int x2, int x3) const {
        const auto a = static_cast<std::size_t>(atom);
        if (atom >= 1 && a < m_end.size()) {
            auto first = m_list.begin() + static_cast<std::ptrdiff_t>(m_start[a]);
            auto last = m_list.begin() + static_cast<std::ptrdiff_t>(m_end[a]);
            for (auto it = std::upper_bound(first, last, n - 1); it != first;) {
                const int c = *--it;
                if (!excluded(c, x1, x2, x3)) return c;
            }
        }
        return fallback(n, x1, x2, x3);
    }

private:
    std::vector<std::size_t> m_start;  // atom a's neighbours begin at m_start[a]
    std::vector<std::size_t> m_end;    // and end, repeats removed, at m_end[a]
    std::vector<int> m_list;
};

} // namespace

int DbZmatVSet::SearchIndex(const DbBondVSet& bonds, int n, int atom, int x1, int x2, int x3) {
    int best = 0;
    for (POSITION pos = bonds.GetBondHeadPosition(); pos;) {
        const DbBondV* bond = bonds.GetBondNext(pos);
        int candidate;
        if (bond->firstAtom == atom) candidate = bond->secondAtom;
        else if (bond->secondAtom == atom) candidate = bond->firstAtom;
        else continue;
        if (candidate <= n - 1 && !excluded(candidate, x1, x2, x3) && candidate > best)
            best = candidate;
    }
    return best != 0 ? best : fallback(n, x1, x2, x3);
}

void DbZmatVSet::CreateZmat(const DbMolecule& mol) {
    // Line n always belongs to atom n, so earlier lines are replaced rather than kept.
    ClearZmat();
    WalkZmat(mol, [this](const DbZmatV& line) { AppendZmat(new DbZmatV(line)); });
}

void DbZmatVSet::WalkZmat(const DbMolecule& mol, const std::function<void(const DbZmatV&)>& visit) {
    const int count = mol.GetAtomCount();
    if (count == 0) return;

    std::vector<const Vertex3D*> r(static_cast<std::size_t>(count) + 1, nullptr);
    int number = 0;
    for (POSITION pos = mol.GetAtomHeadPosition(); pos;)
        r[++number] = &mol.GetAtomNext(pos)->position;
    const Neighbours neighbours(mol, count);

    DbZmatV line;
    for (int n = 1; n <= count; ++n) {
        line = DbZmatV();
        const Vertex3D& rn = *r[n];
        if (n == 2) {
            line.bondRef = 1;
            line.SetBond(rn, *r[1]);
        } else if (n >= 3) {
            const int i = neighbours.Search(n, n, 0, 0, 0);
            const int j = neighbours.Search(n, i, i, 0, 0);
            line.bondRef = i;
            line.angleRef = j;
            line.SetBond(rn, *r[i]);
            line.SetAngle(rn, *r[i], *r[j]);
            if (n >= 4) {
                const int k = neighbours.Search(n, j, i, j, 0);
                line.torsionRef = k;
                line.SetTorsion(rn, *r[i], *r[j], *r[k]);
            }
        }
        visit(line);
    }
}

} // namespace qrtz
