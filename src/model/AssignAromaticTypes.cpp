// The aromatic bond-type assignment: Kekulé six-membered rings found from the double bonds,
// the bond graph and the para distance of benzene.
//
// The result is that of the plain walk (every pair of double-bond atoms tested for a bond,
// every double-bond atom tested for the para distance); here the pairs come from the atoms'
// neighbour lists and the distances from a grid, so a sheet of thousands of rings takes
// milliseconds instead of minutes.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <new>
#include <unordered_map>
#include <vector>

#include "qrtzdb/model/BenBond.h"

namespace qrtz {

namespace {

constexpr int kMaxNeighbours = 12;
constexpr int kMaxPartners = 10;
constexpr std::uint64_t kMaxLinks = std::uint64_t{1} << 22;
constexpr double kParaMin2 = 6.25;  // 2.5 Å squared
constexpr double kParaMax2 = 8.41;  // 2.9 Å squared
// Wider than 2.9 Å, so that every partner lies in the 27 cells around an atom.
constexpr double kCellSize = 3.0;
constexpr double kCellLimit = 1 << 19;  // cells beyond share the outermost one

using Index = std::vector<int>;

// The order a bond's two-byte type stands for; other types count as single.
int bondOrder(const CString& name) {
    const char a = name.size() > 0 ? name[0] : '\0';
    const char b = name.size() > 1 ? name[1] : '\0';
    if (b == ' ' && a >= '1' && a <= '3') return a - '0';
    if (a == 'A' && b == 'R') return 4;
    return 1;
}

bool isDouble(const CString& name) { return name.size() >= 2 && name[0] == '2' && name[1] == ' '; }

// Lists of ints grouped by key 0..keys-1, filled in two passes (count, then place) so that each
// list keeps the order of its entries.
class Grouped {
public:
    explicit Grouped(std::size_t keys) : m_start(keys + 1, 0) {}
    void Count(int key, int n = 1) { m_start[static_cast<std::size_t>(key) + 1] += n; }
    void Seal() {
        for (std::size_t k = 1; k < m_start.size(); ++k) m_start[k] += m_start[k - 1];
        m_values.resize(static_cast<std::size_t>(m_start.back()));
        m_fill.assign(m_start.begin(), m_start.end() - 1);
    }
    void Place(int key, int value) {
        m_values[static_cast<std::size_t>(m_fill[static_cast<std::size_t>(key)]++)] = value;
    }
    const int* Begin(int key) const { return m_values.data() + m_start[static_cast<std::size_t>(key)]; }
    const int* End(int key) const { return m_values.data() + m_start[static_cast<std::size_t>(key) + 1]; }
    int Size(int key) const { return static_cast<int>(End(key) - Begin(key)); }
    std::vector<int>& Values() { return m_values; }

private:
    std::vector<int> m_start;
    std::vector<int> m_fill;
    std::vector<int> m_values;
};

struct Pair {
    int x;
    int nb;
};

class Assignment {
public:
    explicit Assignment(DbMolecule& mol) : m_mol(mol) {}

    int Run() {
        Load();
        if (!BuildConjugation()) return 5;
        BuildGrid();
        for (int atom : m_double) SearchRings(atom);
        WriteBack();
        return 0;
    }

private:
    void Load() {
        for (POSITION pos = m_mol.GetAtomHeadPosition(); pos;) m_atoms.push_back(m_mol.GetAtomNext(pos));
        m_n = static_cast<int>(m_atoms.size());
        for (POSITION pos = m_mol.GetBondHeadPosition(); pos;) {
            DbBondV* bond = m_mol.GetBondNext(pos);
            if (Valid(bond->firstAtom) && Valid(bond->secondAtom)) m_bonds.push_back(bond);
        }
        std::vector<int> highest(static_cast<std::size_t>(m_n) + 1, 1);
        for (const DbBondV* bond : m_bonds) {
            const int order = bondOrder(bond->Name());
            for (int atom : {bond->firstAtom, bond->secondAtom})
                highest[static_cast<std::size_t>(atom)] =
                    std::max(highest[static_cast<std::size_t>(atom)], order);
            if (isDouble(bond->Name())) {
                m_double.push_back(bond->firstAtom);
                m_double.push_back(bond->secondAtom);
            }
        }
        m_code.assign(static_cast<std::size_t>(m_n) + 1, ' ');
        for (int a = 1; a <= m_n; ++a) {
            const CString& name = m_atoms[static_cast<std::size_t>(a) - 1]->Name();
            if (name.empty() || name[0] != 'H')
                m_code[static_cast<std::size_t>(a)] = "123R"[highest[static_cast<std::size_t>(a)] - 1];
        }
        m_ringAtom.assign(static_cast<std::size_t>(m_n) + 1, 0);
    }

    bool Valid(int atom) const { return atom >= 1 && atom <= m_n; }

    const DbAtomV& AtomAt(int atom) const { return *m_atoms[static_cast<std::size_t>(atom) - 1]; }

    // The conjugation graph: double-bond atoms linked where one is among the other's first
    // twelve neighbours, in the order the pairs (i, j), i < j, of the double-bond list give.
    bool BuildConjugation() {
        const auto keys = static_cast<std::size_t>(m_n) + 1;
        Grouped neighbours(keys);
        for (int pass = 0; pass < 2; ++pass) {
            std::vector<int> taken(keys, 0);
            for (const DbBondV* bond : m_bonds) {
                const int ends[2][2] = {{bond->firstAtom, bond->secondAtom},
                                        {bond->secondAtom, bond->firstAtom}};
                for (const auto& end : ends) {
                    int& t = taken[static_cast<std::size_t>(end[0])];
                    if (t == kMaxNeighbours) continue;
                    ++t;
                    if (pass == 0) neighbours.Count(end[0]);
                    else neighbours.Place(end[0], end[1]);
                }
            }
            if (pass == 0) neighbours.Seal();
        }

        const int count = static_cast<int>(m_double.size());
        Grouped where(keys);  // each atom's entries in the double-bond list
        for (int atom : m_double) where.Count(atom);
        where.Seal();
        for (int i = 0; i < count; ++i) where.Place(m_double[static_cast<std::size_t>(i)], i);

        // The distinct neighbours of the atom at entry i, and the entries after i they have.
        auto distinctNeighbours = [&](int atom, int* out) {
            int n = 0;
            for (const int* p = neighbours.Begin(atom); p != neighbours.End(atom); ++p)
                if (std::find(out, out + n, *p) == out + n) out[n++] = *p;
            return n;
        };
        auto laterEntries = [&](int atom, int i) {
            return std::upper_bound(where.Begin(atom), where.End(atom), i);
        };

        m_links = std::make_unique<Grouped>(keys);
        std::uint64_t links = 0;
        int distinct[kMaxNeighbours];
        for (int i = 0; i < count; ++i) {
            const int x = m_double[static_cast<std::size_t>(i)];
            const int n = distinctNeighbours(x, distinct);
            for (int k = 0; k < n; ++k) {
                const auto later = static_cast<int>(where.End(distinct[k]) - laterEntries(distinct[k], i));
                links += static_cast<std::uint64_t>(later);
                if (links > kMaxLinks) return false;
                m_links->Count(x, later);
                m_links->Count(distinct[k], later);
            }
        }
        m_links->Seal();
        std::vector<int> partners;
        for (int i = 0; i < count; ++i) {
            const int x = m_double[static_cast<std::size_t>(i)];
            const int n = distinctNeighbours(x, distinct);
            partners.clear();
            for (int k = 0; k < n; ++k)
                partners.insert(partners.end(), laterEntries(distinct[k], i), where.End(distinct[k]));
            std::sort(partners.begin(), partners.end());
            for (int j : partners) {
                const int y = m_double[static_cast<std::size_t>(j)];
                m_links->Place(x, y);
                m_links->Place(y, x);
            }
        }
        // The same lists sorted, for counting how often a value occurs in one.
        m_sortedLinks = m_links->Values();
        for (int a = 1; a <= m_n; ++a) {
            const auto begin = m_links->Begin(a) - m_links->Values().data();
            const auto end = m_links->End(a) - m_links->Values().data();
            std::sort(m_sortedLinks.begin() + begin, m_sortedLinks.begin() + end);
        }
        return true;
    }

    long long LinkCount(int atom, int value) const {
        if (atom <= 0) return 0;
        const std::size_t base = static_cast<std::size_t>(m_links->Begin(atom) - m_links->Values().data());
        const auto first = m_sortedLinks.begin() + static_cast<std::ptrdiff_t>(base);
        const auto last = first + m_links->Size(atom);
        const auto range = std::equal_range(first, last, value);
        return range.second - range.first;
    }

    static std::int64_t Cell(double v) {
        double c = std::floor(v / kCellSize);
        if (!(c > -kCellLimit)) c = -kCellLimit;  // NaN as well
        if (c > kCellLimit) c = kCellLimit;
        return static_cast<std::int64_t>(c);
    }

    static std::uint64_t CellKey(std::int64_t x, std::int64_t y, std::int64_t z) {
        const auto bits = [](std::int64_t v) {
            return static_cast<std::uint64_t>(v + (std::int64_t{1} << 20)) & 0x1fffff;
        };
        return bits(x) << 42 | bits(y) << 21 | bits(z);
    }

    // The double-bond entries by grid cell, each cell's entries in list order.
    void BuildGrid() {
        for (std::size_t k = 0; k < m_double.size(); ++k) {
            const Vertex3D& r = AtomAt(m_double[k]).position;
            m_grid[CellKey(Cell(r.x), Cell(r.y), Cell(r.z))].push_back(static_cast<int>(k));
        }
        m_partnerOf.assign(static_cast<std::size_t>(m_n) + 1, -1);
    }

    // The first ten entries of the double-bond list at the para distance from atom, as atoms.
    const std::vector<int>& Partners(int atom) {
        static const std::vector<int> none;
        if (atom <= 0) return none;
        int& slot = m_partnerOf[static_cast<std::size_t>(atom)];
        if (slot >= 0) return m_partners[static_cast<std::size_t>(slot)];
        slot = static_cast<int>(m_partners.size());
        std::vector<int> entries;
        const Vertex3D& r = AtomAt(atom).position;
        const std::int64_t cx = Cell(r.x), cy = Cell(r.y), cz = Cell(r.z);
        for (std::int64_t dx = -1; dx <= 1; ++dx)
            for (std::int64_t dy = -1; dy <= 1; ++dy)
                for (std::int64_t dz = -1; dz <= 1; ++dz) {
                    const auto it = m_grid.find(CellKey(cx + dx, cy + dy, cz + dz));
                    if (it == m_grid.end()) continue;
                    for (int k : it->second) {
                        const Vertex3D& s = AtomAt(m_double[static_cast<std::size_t>(k)]).position;
                        const double ex = s.x - r.x, ey = s.y - r.y, ez = s.z - r.z;
                        const double d2 = ex * ex + ey * ey + ez * ez;
                        if (d2 >= kParaMin2 && d2 <= kParaMax2) entries.push_back(k);
                    }
                }
        std::sort(entries.begin(), entries.end());
        if (entries.size() > kMaxPartners) entries.resize(kMaxPartners);
        for (int& k : entries) k = m_double[static_cast<std::size_t>(k)];
        m_partners.push_back(std::move(entries));
        return m_partners.back();
    }

    void SearchRings(int a) {
        const int links = m_links->Size(a);
        if (links != 2 && links != 3) return;
        const int* g = m_links->Begin(a);
        const int members[4] = {a, g[0], g[1], links == 3 ? g[2] : 0};
        // Copies: Partners may grow the store the references point into.
        std::vector<int> partners[4];
        std::size_t longest = 0;
        for (int p = 0; p < 4; ++p) {
            partners[p] = Partners(members[p]);
            longest = std::max(longest, partners[p].size());
        }
        static constexpr int kPatterns[6][2] = {{1, 2}, {2, 1}, {3, 1}, {1, 3}, {2, 3}, {3, 2}};
        Pair stored[3];
        long long pairCount = 0;
        for (const auto& pattern : kPatterns) {
            const std::vector<int>& ts = partners[pattern[0]];
            const int nb = members[pattern[1]];
            if (nb != 0 && m_links->Size(nb) > 0) {
                for (std::size_t m = 0; m < longest && m < ts.size(); ++m) {
                    const long long hits = LinkCount(nb, ts[m]);
                    for (long long h = 0; h < hits && pairCount + h < 3; ++h)
                        stored[pairCount + h] = {ts[m], nb};
                    pairCount += hits;
                }
            }
            bool found = false;
            if (pairCount == 2 && longest > 0) {
                long long hits = 0;
                int sixth = 0;
                for (std::size_t m = 0; m < longest && m < partners[0].size(); ++m) {
                    const int y = partners[0][m];
                    const long long h = LinkCount(y, stored[0].x) + LinkCount(y, stored[1].x);
                    if (h > 0) sixth = y;
                    hits += h;
                }
                if (hits == 2) {
                    Record(a, stored[0], stored[1], sixth);
                    found = true;
                }
            } else if (pairCount == 3) {
                Record(a, stored[0], stored[1], stored[2].x);
                found = true;
            }
            if (found || pairCount != 1) pairCount = 0;
        }
    }

    void Record(int a, Pair p1, Pair p2, int y) {
        for (int atom : {a, p1.x, p1.nb, p2.x, p2.nb, y}) m_ringAtom[static_cast<std::size_t>(atom)] = 1;
        const int ends[6][2] = {{a, p1.nb}, {a, p2.nb}, {p2.nb, p2.x}, {p2.x, y}, {y, p1.x}, {p1.x, p1.nb}};
        for (const auto& e : ends) m_ringBonds.push_back(Key(std::min(e[0], e[1]), std::max(e[0], e[1])));
    }

    static std::uint64_t Key(int first, int second) {
        return static_cast<std::uint64_t>(static_cast<std::uint32_t>(first)) << 32 |
               static_cast<std::uint32_t>(second);
    }

    void WriteBack() {
        std::sort(m_ringBonds.begin(), m_ringBonds.end());
        for (int a = 1; a <= m_n; ++a) {
            DbAtomV* atom = m_atoms[static_cast<std::size_t>(a) - 1];
            if (atom->Name().size() < 3) continue;
            CString name = atom->Name();
            name[2] = m_ringAtom[static_cast<std::size_t>(a)] ? 'R' : m_code[static_cast<std::size_t>(a)];
            atom->DbComp::SetName(name.c_str());
        }
        for (DbBondV* bond : m_bonds)
            if (bond->firstAtom <= bond->secondAtom &&
                std::binary_search(m_ringBonds.begin(), m_ringBonds.end(),
                                   Key(bond->firstAtom, bond->secondAtom)))
                bond->SetName("AR");
    }

    DbMolecule& m_mol;
    std::vector<DbAtomV*> m_atoms;
    std::vector<DbBondV*> m_bonds;  // those between atoms of the molecule
    int m_n = 0;
    std::vector<int> m_double;      // the double-bond list: both atoms of every "2 " bond
    std::vector<char> m_code;
    std::vector<char> m_ringAtom;
    std::vector<std::uint64_t> m_ringBonds;
    std::unique_ptr<Grouped> m_links;
    std::vector<int> m_sortedLinks;
    std::unordered_map<std::uint64_t, std::vector<int>> m_grid;
    std::vector<int> m_partnerOf;
    std::vector<std::vector<int>> m_partners;
};

} // namespace

int AssignAromaticTypes(DbMolecule* mol) {
    if (!mol) return 0;
    try {
        Assignment assignment(*mol);
        return assignment.Run();
    } catch (const std::bad_alloc&) {
        return 5;
    }
}

} // namespace qrtz
