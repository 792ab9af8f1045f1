#include "qrtzdb/model/BenBond.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <set>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace qrtz {

namespace {

constexpr int kMaxAromaticPerAtom = 8;

bool contains(const BenBond::AroBond& bond, int atom) {
    return bond.firstAtom == atom || bond.secondAtom == atom;
}

// Pair indexes grouped by a key, each group in ascending pair order.
class PairIndex {
public:
    using Entry = std::pair<std::uint64_t, int>;

    void Add(std::uint64_t key, int pair) { m_entries.emplace_back(key, pair); }
    void Seal() { std::sort(m_entries.begin(), m_entries.end()); }

    // The entries of key after pair `after`, in order.
    std::pair<const Entry*, const Entry*> After(std::uint64_t key, int after) const {
        const auto first =
            std::lower_bound(m_entries.begin(), m_entries.end(), Entry(key, after + 1));
        const auto last = std::upper_bound(first, m_entries.end(), Entry(key, INT_MAX));
        return {m_entries.data() + (first - m_entries.begin()),
                m_entries.data() + (last - m_entries.begin())};
    }

private:
    std::vector<Entry> m_entries;
};

std::uint64_t atomKey(int atom) { return static_cast<std::uint32_t>(atom); }

std::uint64_t endsKey(int a, int b) {
    if (a > b) std::swap(a, b);
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(a)) << 32) |
           static_cast<std::uint32_t>(b);
}

} // namespace

BenBond::BenBond(DbMolecule* mol) : m_mol(mol) {
    if (!mol) return;
    for (POSITION pos = mol->GetBondHeadPosition(); pos;) {
        DbBondV* bond = mol->GetBondNext(pos);
        if (bond->Name() != "AR") continue;
        AroBond record;
        record.firstAtom = bond->firstAtom;
        record.secondAtom = bond->secondAtom;
        record.bond = bond;
        m_aroBonds.push_back(record);
    }
    if (m_aroBonds.empty()) return;
    FindPairs(mol->GetAtomCount());
    FindRings();
    for (Ring& ring : m_rings)
        for (int b : ring.bonds)
            if (m_aroBonds[static_cast<std::size_t>(b)].ringCount > 1) ++ring.sharedCount;
}

BenBond::~BenBond() = default;

void BenBond::FindPairs(int atomCount) {
    // Each atom's first aromatic bonds in record order, with the atom at their other end, laid
    // out atom after atom.
    struct Entry {
        int record;
        int other;
    };
    const auto atoms = static_cast<std::size_t>(atomCount) + 1;
    std::vector<int> start(atoms + 1, 0);
    auto eachEnd = [&](auto&& visit) {
        for (std::size_t r = 0; r < m_aroBonds.size(); ++r) {
            const AroBond& bond = m_aroBonds[r];
            visit(bond.firstAtom, static_cast<int>(r), bond.secondAtom);
            if (bond.secondAtom != bond.firstAtom)
                visit(bond.secondAtom, static_cast<int>(r), bond.firstAtom);
        }
    };
    auto inRange = [atomCount](int atom) { return atom >= 1 && atom <= atomCount; };
    eachEnd([&](int atom, int, int) {
        if (inRange(atom) && start[static_cast<std::size_t>(atom) + 1] < kMaxAromaticPerAtom)
            ++start[static_cast<std::size_t>(atom) + 1];
    });
    for (std::size_t a = 1; a <= atoms; ++a) start[a] += start[a - 1];
    std::vector<Entry> entries(static_cast<std::size_t>(start[atoms]));
    std::vector<int> fill(start.begin(), start.end() - 1);
    eachEnd([&](int atom, int record, int other) {
        if (!inRange(atom)) return;
        int& at = fill[static_cast<std::size_t>(atom)];
        if (at < start[static_cast<std::size_t>(atom) + 1])
            entries[static_cast<std::size_t>(at++)] = {record, other};
    });

    for (int a = 1; a <= atomCount; ++a) {
        const Entry* list = entries.data() + start[static_cast<std::size_t>(a)];
        const int n = start[static_cast<std::size_t>(a) + 1] - start[static_cast<std::size_t>(a)];
        for (int p = 0; p < n; ++p)
            for (int q = p + 1; q < n; ++q) {
                BondPair pair;
                pair.firstEnd = list[p].other;
                pair.centre = a;
                pair.secondEnd = list[q].other;
                pair.firstBond = list[p].record;
                pair.secondBond = list[q].record;
                m_pairs.push_back(pair);
            }
    }
}

void BenBond::FindRings() {
    const int pairCount = static_cast<int>(m_pairs.size());
    // Pairs by end atom, by their two ends and by centre: the ring walk only ever asks for the
    // first pair after a given one with a given end, ends or centre.
    PairIndex byEnd, byEnds;
    std::unordered_map<int, std::pair<int, int>> byCentre;  // centre -> [first, last + 1)
    for (int i = 0; i < pairCount; ++i) {
        const BondPair& p = m_pairs[static_cast<std::size_t>(i)];
        byEnd.Add(atomKey(p.firstEnd), i);
        if (p.secondEnd != p.firstEnd) byEnd.Add(atomKey(p.secondEnd), i);
        byEnds.Add(endsKey(p.firstEnd, p.secondEnd), i);
        auto [it, fresh] = byCentre.try_emplace(p.centre, i, i + 1);
        if (!fresh) it->second.second = i + 1;
    }
    byEnd.Seal();
    byEnds.Seal();

    auto pairAt = [this](int i) -> BondPair& { return m_pairs[static_cast<std::size_t>(i)]; };
    auto bondAt = [this](int i) -> AroBond& { return m_aroBonds[static_cast<std::size_t>(i)]; };
    // Marks the first pair centred at centre whose ends are a and b in either order.
    auto markPair = [&](int centre, int a, int b) {
        const auto it = byCentre.find(centre);
        if (it == byCentre.end()) return;
        for (int i = it->second.first; i < it->second.second; ++i) {
            BondPair& p = pairAt(i);
            if ((p.firstEnd == a && p.secondEnd == b) || (p.firstEnd == b && p.secondEnd == a)) {
                p.used = 1;
                return;
            }
        }
    };

    for (int i1 = 0; i1 < pairCount; ++i1) {
        if (pairAt(i1).used) continue;
        pairAt(i1).used = 1;
        if (i1 == pairCount - 1) break;
        const BondPair p1 = pairAt(i1);
        const auto [first2, last2] = byEnd.After(atomKey(p1.secondEnd), i1);
        for (auto e2 = first2; e2 != last2; ++e2) {
            const int i2 = e2->second;
            const BondPair& p2 = pairAt(i2);
            if (p2.used || p2.centre == p1.centre) continue;
            const int o = p2.firstEnd == p1.secondEnd ? p2.secondEnd : p2.firstEnd;

            int i3 = -1;
            const auto [first3, last3] = byEnds.After(endsKey(o, p1.firstEnd), i1);
            for (auto e3 = first3; e3 != last3; ++e3) {
                const BondPair& p3 = pairAt(e3->second);
                if (p3.used || e3->second == i2 || p3.centre == p1.centre ||
                    p3.centre == p2.centre)
                    continue;
                i3 = e3->second;
                break;
            }
            if (i3 < 0) continue;
            const BondPair& p3 = pairAt(i3);

            Ring ring;
            const int atoms[6] = {p1.secondEnd, p2.centre, o, p3.centre, p1.firstEnd, p1.centre};
            std::copy(atoms, atoms + 6, ring.atoms);
            auto orderedBonds = [&](const BondPair& p, int atom, int* out) {
                const bool firstHas = contains(bondAt(p.firstBond), atom);
                out[0] = firstHas ? p.firstBond : p.secondBond;
                out[1] = firstHas ? p.secondBond : p.firstBond;
            };
            orderedBonds(p2, p1.secondEnd, ring.bonds);
            orderedBonds(p3, o, ring.bonds + 2);
            orderedBonds(p1, p1.firstEnd, ring.bonds + 4);
            const int index = static_cast<int>(m_rings.size());
            for (int b : ring.bonds) {
                AroBond& bond = bondAt(b);
                ++bond.ringCount;
                if (bond.firstRing < 0)
                    bond.firstRing = index;
                else
                    bond.secondRing = index;
            }
            m_rings.push_back(ring);

            const int c2 = p2.centre, c3 = p3.centre;
            pairAt(i2).used = 1;
            pairAt(i3).used = 1;
            markPair(p1.secondEnd, p1.centre, c2);
            markPair(o, c2, c3);
            markPair(p1.firstEnd, c3, p1.centre);
        }
    }
}

// The assignment of alternating orders ring by ring. A ring's walk into its neighbours runs
// on an explicit stack, so long chains of fused rings cannot exhaust the call stack.
class BenBond::Assigner {
public:
    explicit Assigner(BenBond& owner) : m_owner(owner), m_rings(owner.m_rings) {
        for (std::size_t r = 0; r < m_rings.size(); ++r)
            if (m_rings[r].state == 0) Unvisit(static_cast<int>(r));
            else m_hash ^= Key(static_cast<int>(r), m_rings[r].state);
    }

    // Step 2 of Convert: false when some ring takes neither alternation.
    bool Run() {
        std::unordered_set<std::uint64_t> seen;
        while (true) {
            int ring = -1;
            if (!m_freeLow.empty()) ring = *m_freeLow.begin();
            else if (!m_free.empty()) ring = *m_free.begin();
            if (ring < 0) return true;
            // A failed alternation can reset rings settled before; the walk depends on the ring
            // states alone, so meeting the same states twice means it would go round forever.
            if (!seen.insert(m_hash).second) return false;
            if (!Assign(ring, 0, 1) && !Assign(ring, 1, 0)) return false;
        }
    }

private:
    enum Result { kFailed, kSucceeded, kEntered };

    struct Frame {
        int ring;
        int d;
        int next;  // double positions d, d + 2, d + 4 done so far
        int others[6];
    };

    Ring& RingAt(int r) { return m_rings[static_cast<std::size_t>(r)]; }
    AroBond& BondAt(int b) { return m_owner.m_aroBonds[static_cast<std::size_t>(b)]; }

    static std::uint64_t Key(int ring, int state) {
        std::uint64_t z = static_cast<std::uint64_t>(ring) * 4 + static_cast<std::uint64_t>(state);
        z += 0x9e3779b97f4a7c15ull;
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
        return z ^ (z >> 31);
    }

    void Unvisit(int r) {
        m_free.insert(r);
        if (RingAt(r).sharedCount <= 5) m_freeLow.insert(r);
    }

    void SetState(int r, int state) {
        Ring& ring = RingAt(r);
        if (ring.state == state) return;
        if (ring.state != 0) m_hash ^= Key(r, ring.state);
        if (state != 0) m_hash ^= Key(r, state);
        if (ring.state == 0) {
            m_free.erase(r);
            m_freeLow.erase(r);
        } else if (state == 0) {
            Unvisit(r);
        }
        ring.state = state;
    }

    int Other(int r, int bond) {
        const AroBond& b = BondAt(bond);
        return b.firstRing == r ? b.secondRing : b.firstRing;
    }

    // The ring's own part of a failure: its neighbours and itself back to not visited.
    void Fail(const Frame& f) {
        for (int other : f.others)
            if (other >= 0) SetState(other, 0);
        SetState(f.ring, 0);
    }

    Result Enter(int r, int s, int d) {
        if (RingAt(r).state != 0) return kSucceeded;
        SetState(r, 1);
        Frame f{r, d, 0, {}};
        const Ring& ring = RingAt(r);
        for (int k = 0; k < 6; ++k) f.others[k] = Other(r, ring.bonds[k]);
        for (int k = s; k < 6; k += 2) {
            const int other = f.others[k];
            if (other >= 0 && RingAt(other).sharedCount <= 5) {
                Fail(f);
                return kFailed;
            }
        }
        for (int k = s; k < 6; k += 2) BondAt(ring.bonds[k]).order = 1;
        for (int k = d; k < 6; k += 2) BondAt(ring.bonds[k]).order = 2;
        for (int k = s; k < 6; k += 2)
            if (f.others[k] >= 0) SetState(f.others[k], 2);
        m_stack.push_back(f);
        return kEntered;
    }

    bool Assign(int root, int s, int d) {
        Result result = Enter(root, s, d);
        while (!m_stack.empty()) {
            Frame& f = m_stack.back();
            if (result == kFailed) {
                Fail(f);
                m_stack.pop_back();
                continue;
            }
            if (f.next == 3) {
                m_stack.pop_back();
                result = kSucceeded;
                continue;
            }
            const int k = f.d + 2 * f.next++;
            const int neighbour = f.others[k];
            if (neighbour < 0) {
                result = kSucceeded;
                continue;
            }
            const int bond = RingAt(f.ring).bonds[k];
            const int* nb = RingAt(neighbour).bonds;
            const int at = static_cast<int>(std::find(nb, nb + 6, bond) - nb);
            if (at == 6) {
                result = kFailed;
                continue;
            }
            // The shared bond must come out double in the neighbour as well.
            result = at % 2 == 0 ? Enter(neighbour, 1, 0) : Enter(neighbour, 0, 1);
        }
        return result != kFailed;
    }

    BenBond& m_owner;
    std::vector<Ring>& m_rings;
    std::set<int> m_free;     // rings not visited
    std::set<int> m_freeLow;  // of those, the rings with at most 5 shared bonds
    std::uint64_t m_hash = 0;
    std::vector<Frame> m_stack;
};

int BenBond::Convert() {
    if (m_aroBonds.empty()) return 1;
    Assigner assigner(*this);
    if (!assigner.Run()) return 0;
    for (AroBond& record : m_aroBonds) {
        if (record.order == 1) record.bond->SetName("1 ");
        else if (record.order == 2) record.bond->SetName("2 ");
    }
    return 1;
}

void BenBond::Retrieve() {
    for (AroBond& record : m_aroBonds) record.bond->SetName("AR");
}

} // namespace qrtz
