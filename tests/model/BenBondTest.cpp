#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "model/RingSheet.h"
#include "qrtzdb/model/BenBond.h"

namespace qrtz {
namespace {

using testing::bondNames;
using testing::RingSheet;

RingSheet rings(std::initializer_list<std::pair<int, int>> cells) {
    RingSheet sheet;
    for (auto [q, r] : cells) sheet.AddCell(q, r);
    return sheet;
}

// Every atom of a converted bond has exactly one double bond among the converted bonds.
::testing::AssertionResult isKekule(const DbMolecule& mol, const std::vector<std::string>& before) {
    std::map<int, int> doubles;
    int index = 0;
    for (POSITION pos = mol.GetBondHeadPosition(); pos; ++index) {
        const DbBondV* bond = mol.GetBondNext(pos);
        if (before[static_cast<std::size_t>(index)] != "AR") continue;
        if (bond->Name() == "AR") return ::testing::AssertionFailure() << "bond " << index << " kept AR";
        const int add = bond->Name() == "2 " ? 1 : 0;
        doubles[bond->firstAtom] += add;
        doubles[bond->secondAtom] += add;
    }
    for (auto [atom, count] : doubles)
        if (count != 1) return ::testing::AssertionFailure() << "atom " << atom << " has " << count << " double bonds";
    return ::testing::AssertionSuccess();
}

TEST(BenBond, WritesKekuleStructuresAndRestoresThem) {
    {
        DbMolecule benzene;
        rings({{0, 0}}).Fill(benzene);
        BenBond converter(&benzene);
        ASSERT_EQ(converter.GetRings().size(), 1u);
        ASSERT_EQ(converter.Convert(), 1);
        const BenBond::Ring& ring = converter.GetRings()[0];
        for (int k = 0; k < 6; ++k)
            EXPECT_EQ(converter.GetAromaticBonds()[static_cast<std::size_t>(ring.bonds[k])].bond->Name(),
                      k % 2 ? "2 " : "1 ");
        converter.Retrieve();
        EXPECT_EQ(bondNames(benzene), std::vector<std::string>(6, "AR"));
    }

    // Naphthalene, phenanthrene, triphenylene; biphenyl's rings joined by a single bond.
    RingSheet biphenyl;
    biphenyl.AddCell(0, 0);
    const double reach = 2 * 1.39 + 1.48;  // along the 30-degree corner of the first ring
    biphenyl.AddCell(0, 0, Vertex3D(reach * 0.8660254, reach * 0.5, 0));
    biphenyl.AddBond(1, 10, "1 ");
    const RingSheet cases[] = {rings({{0, 0}, {1, 0}}), rings({{0, 0}, {1, 0}, {1, 1}}),
                               rings({{0, 0}, {1, 0}, {-1, 1}, {0, -1}}), biphenyl};
    const int ringCounts[] = {2, 3, 4, 2};
    for (int c = 0; c < 4; ++c) {
        SCOPED_TRACE(c);
        DbMolecule mol;
        cases[c].Fill(mol);
        const auto before = bondNames(mol);
        BenBond converter(&mol);
        EXPECT_EQ(static_cast<int>(converter.GetRings().size()), ringCounts[c]);
        ASSERT_EQ(converter.Convert(), 1);
        EXPECT_TRUE(isKekule(mol, before));
        if (c == 0) {
            for (const BenBond::Ring& ring : converter.GetRings()) EXPECT_EQ(ring.sharedCount, 1);
            for (const BenBond::AroBond& bond : converter.GetAromaticBonds())
                if (bond.ringCount == 2) {
                    EXPECT_EQ(bond.bond->Name(), "2 ");
                }
        }
        // The ring states stay: converting again names the bonds the same way.
        const auto converted = bondNames(mol);
        converter.Retrieve();
        EXPECT_EQ(bondNames(mol), before);
        EXPECT_EQ(converter.Convert(), 1);
        EXPECT_EQ(bondNames(mol), converted);
    }
}

TEST(BenBond, LeavesBondsWhereNoAlternationFits) {
    // Anthracene's middle ring has its shared bonds opposite each other; pyrene's central rings
    // have them side by side.
    for (const RingSheet& sheet : {rings({{0, 0}, {1, 0}, {2, 0}}),
                                   rings({{0, 0}, {1, 0}, {0, 1}, {1, -1}})}) {
        DbMolecule mol;
        sheet.Fill(mol);
        BenBond converter(&mol);
        EXPECT_EQ(converter.Convert(), 0);
        EXPECT_EQ(bondNames(mol), std::vector<std::string>(mol.GetBondCount(), "AR"));
    }

    // A chain of aromatic bonds forms no ring and keeps its names; without any nothing changes.
    DbMolecule chain;
    for (int i = 0; i < 5; ++i) chain.AppendAtom(chain.CreateDbAtomV("C", Vertex3D(i, 0, 0), 12, 0, 0));
    for (int i = 1; i < 5; ++i) chain.AppendBond(chain.CreateDbBondV(i == 2 ? "2 " : "AR", i, i + 1));
    BenBond converter(&chain);
    EXPECT_TRUE(converter.GetRings().empty());
    EXPECT_EQ(converter.Convert(), 1);
    EXPECT_EQ(bondNames(chain), (std::vector<std::string>{"AR", "2 ", "AR", "AR"}));
    chain.GetBondAt(0)->SetName("1 ");
    chain.GetBondAt(2)->SetName("1 ");
    chain.GetBondAt(3)->SetName("3 ");
    BenBond none(&chain);
    EXPECT_EQ(none.Convert(), 1);
    EXPECT_EQ(bondNames(chain), (std::vector<std::string>{"1 ", "2 ", "1 ", "3 "}));
}

// ---- The plain walk, written as the rule reads, to hold the indexed search to ----

struct Plain {
    std::vector<BenBond::AroBond> aro;
    std::vector<BenBond::BondPair> pairs;
    std::vector<BenBond::Ring> rings;

    explicit Plain(DbMolecule& mol) {
        for (POSITION pos = mol.GetBondHeadPosition(); pos;) {
            DbBondV* b = mol.GetBondNext(pos);
            if (b->Name() == "AR") aro.push_back({b->firstAtom, b->secondAtom, 0, 0, -1, -1, b});
        }
        if (aro.empty()) return;
        for (int a = 1; a <= mol.GetAtomCount(); ++a) {
            std::vector<std::pair<int, int>> list;
            for (int r = 0; r < static_cast<int>(aro.size()); ++r) {
                const auto& b = aro[static_cast<std::size_t>(r)];
                if ((b.firstAtom == a || b.secondAtom == a) && list.size() < 8)
                    list.push_back({r, b.firstAtom == a ? b.secondAtom : b.firstAtom});
            }
            for (std::size_t p = 0; p < list.size(); ++p)
                for (std::size_t q = p + 1; q < list.size(); ++q)
                    pairs.push_back({list[p].second, a, list[q].second, list[p].first, list[q].first, 0});
        }
        const int n = static_cast<int>(pairs.size());
        auto has = [&](int bond, int atom) {
            return aro[static_cast<std::size_t>(bond)].firstAtom == atom || aro[static_cast<std::size_t>(bond)].secondAtom == atom;
        };
        auto mark = [&](int centre, int a, int b) {
            for (auto& p : pairs)
                if (p.centre == centre && ((p.firstEnd == a && p.secondEnd == b) || (p.firstEnd == b && p.secondEnd == a))) {
                    p.used = 1;
                    return;
                }
        };
        for (int i1 = 0; i1 < n; ++i1) {
            auto& p1 = pairs[static_cast<std::size_t>(i1)];
            if (p1.used) continue;
            p1.used = 1;
            if (i1 == n - 1) break;
            for (int i2 = i1 + 1; i2 < n; ++i2) {
                auto& p2 = pairs[static_cast<std::size_t>(i2)];
                if (p2.used || p2.centre == p1.centre) continue;
                int o;
                if (p2.firstEnd == p1.secondEnd) o = p2.secondEnd;
                else if (p2.secondEnd == p1.secondEnd) o = p2.firstEnd;
                else continue;
                int i3 = i1 + 1;
                for (; i3 < n; ++i3) {
                    const auto& p3 = pairs[static_cast<std::size_t>(i3)];
                    if (!p3.used && i3 != i2 && p3.centre != p1.centre && p3.centre != p2.centre &&
                        ((p3.firstEnd == o && p3.secondEnd == p1.firstEnd) || (p3.firstEnd == p1.firstEnd && p3.secondEnd == o)))
                        break;
                }
                if (i3 == n) continue;
                auto& p3 = pairs[static_cast<std::size_t>(i3)];
                BenBond::Ring ring;
                const int atoms[6] = {p1.secondEnd, p2.centre, o, p3.centre, p1.firstEnd, p1.centre};
                const int bonds[6] = {has(p2.firstBond, p1.secondEnd) ? p2.firstBond : p2.secondBond,
                                      has(p2.firstBond, p1.secondEnd) ? p2.secondBond : p2.firstBond,
                                      has(p3.firstBond, o) ? p3.firstBond : p3.secondBond,
                                      has(p3.firstBond, o) ? p3.secondBond : p3.firstBond,
                                      has(p1.firstBond, p1.firstEnd) ? p1.firstBond : p1.secondBond,
                                      has(p1.firstBond, p1.firstEnd) ? p1.secondBond : p1.firstBond};
                for (int k = 0; k < 6; ++k) {
                    ring.atoms[k] = atoms[k];
                    ring.bonds[k] = bonds[k];
                    auto& b = aro[static_cast<std::size_t>(bonds[k])];
                    ++b.ringCount;
                    (b.firstRing < 0 ? b.firstRing : b.secondRing) = static_cast<int>(rings.size());
                }
                rings.push_back(ring);
                p2.used = p3.used = 1;
                mark(p1.secondEnd, p1.centre, p2.centre);
                mark(o, p2.centre, p3.centre);
                mark(p1.firstEnd, p3.centre, p1.centre);
            }
        }
        for (auto& ring : rings)
            for (int b : ring.bonds) ring.sharedCount += aro[static_cast<std::size_t>(b)].ringCount > 1;
    }

    int Other(int r, int bond) const {
        const auto& b = aro[static_cast<std::size_t>(bond)];
        return b.firstRing == r ? b.secondRing : b.firstRing;
    }

    bool Assign(int r, int s, int d) {
        auto& ring = rings[static_cast<std::size_t>(r)];
        if (ring.state != 0) return true;
        ring.state = 1;
        int others[6];
        for (int k = 0; k < 6; ++k) others[k] = Other(r, ring.bonds[k]);
        bool ok = true;
        for (int k = s; k < 6 && ok; k += 2)
            ok = !(others[k] >= 0 && rings[static_cast<std::size_t>(others[k])].sharedCount <= 5);
        if (ok) {
            for (int k = s; k < 6; k += 2) aro[static_cast<std::size_t>(ring.bonds[k])].order = 1;
            for (int k = d; k < 6; k += 2) aro[static_cast<std::size_t>(ring.bonds[k])].order = 2;
            for (int k = s; k < 6; k += 2)
                if (others[k] >= 0) rings[static_cast<std::size_t>(others[k])].state = 2;
            for (int k = d; k < 6 && ok; k += 2) {
                const int nb = others[k];
                if (nb < 0) continue;
                const int* b = rings[static_cast<std::size_t>(nb)].bonds;
                const int j = static_cast<int>(std::find(b, b + 6, ring.bonds[k]) - b);
                ok = j < 6 && (j % 2 == 0 ? Assign(nb, 1, 0) : Assign(nb, 0, 1));
            }
        }
        if (ok) return true;
        for (int other : others)
            if (other >= 0) rings[static_cast<std::size_t>(other)].state = 0;
        ring.state = 0;
        return false;
    }

    // 1, 0, or -1 when it would not end.
    int Convert() {
        if (aro.empty()) return 1;
        for (int round = 0; round < 10000; ++round) {
            int pick = -1;
            for (std::size_t r = 0; r < rings.size() && pick < 0; ++r)
                if (rings[r].state == 0 && rings[r].sharedCount <= 5) pick = static_cast<int>(r);
            for (std::size_t r = 0; r < rings.size() && pick < 0; ++r)
                if (rings[r].state == 0) pick = static_cast<int>(r);
            if (pick < 0) return 1;
            if (!Assign(pick, 0, 1) && !Assign(pick, 1, 0)) return 0;
        }
        return -1;
    }
};

TEST(BenBond, FindsWhatThePlainWalkFinds) {
    std::mt19937 rng(2024);
    int ringsSeen = 0, converted = 0, refused = 0;
    for (int round = 0; round < 300; ++round) {
        // A random patch of a honeycomb, with bonds dropped, doubled, turned round, retyped
        // and added between random atoms, some of them outside the molecule.
        RingSheet sheet;
        const int span = 2 + static_cast<int>(rng() % 4);
        for (int q = 0; q < span; ++q)
            for (int r = 0; r < span; ++r)
                if (rng() % 4 != 0) sheet.AddCell(q, r);
        DbMolecule mol;
        sheet.Fill(mol);
        const int atoms = mol.GetAtomCount();
        std::vector<DbBondV*> extra;
        for (POSITION pos = mol.GetBondHeadPosition(); pos;) {
            DbBondV* bond = mol.GetBondNext(pos);
            const unsigned roll = rng() % 40;
            if (roll == 0) bond->SetName("1 ");
            if (roll == 1) std::swap(bond->firstAtom, bond->secondAtom);
            if (roll == 2) extra.push_back(new DbBondV("AR", bond->firstAtom, bond->secondAtom));
        }
        for (int k = static_cast<int>(rng() % 4); k > 0; --k)
            extra.push_back(new DbBondV("AR", 1 + static_cast<int>(rng() % (atoms + 2)), 1 + static_cast<int>(rng() % atoms)));
        for (DbBondV* bond : extra) mol.AppendBond(bond);

        Plain plain(mol);
        BenBond converter(&mol);
        ASSERT_EQ(converter.GetBondPairs().size(), plain.pairs.size());
        for (std::size_t i = 0; i < plain.pairs.size(); ++i) {
            const auto &a = converter.GetBondPairs()[i], &b = plain.pairs[i];
            ASSERT_TRUE(a.firstEnd == b.firstEnd && a.centre == b.centre && a.secondEnd == b.secondEnd &&
                        a.firstBond == b.firstBond && a.secondBond == b.secondBond && a.used == b.used)
                << "round " << round << " pair " << i;
        }
        ASSERT_EQ(converter.GetRings().size(), plain.rings.size()) << "round " << round;
        for (std::size_t i = 0; i < plain.rings.size(); ++i) {
            const auto &a = converter.GetRings()[i], &b = plain.rings[i];
            EXPECT_TRUE(std::equal(a.atoms, a.atoms + 6, b.atoms) && std::equal(a.bonds, a.bonds + 6, b.bonds) &&
                        a.sharedCount == b.sharedCount)
                << "round " << round << " ring " << i;
        }
        for (std::size_t i = 0; i < plain.aro.size(); ++i) {
            const auto &a = converter.GetAromaticBonds()[i], &b = plain.aro[i];
            EXPECT_TRUE(a.ringCount == b.ringCount && a.firstRing == b.firstRing && a.secondRing == b.secondRing);
        }
        ringsSeen += static_cast<int>(plain.rings.size());

        const int expected = plain.Convert();
        if (expected < 0) continue;
        const auto before = bondNames(mol);
        const int result = converter.Convert();
        ASSERT_EQ(result, expected) << "round " << round;
        (result ? converted : refused) += 1;
        std::vector<std::string> names = before;
        if (result)
            for (std::size_t i = 0, k = 0; i < names.size(); ++i)
                if (names[i] == "AR") {
                    const int order = plain.aro[k++].order;
                    if (order) names[i] = order == 1 ? "1 " : "2 ";
                }
        EXPECT_EQ(bondNames(mol), names) << "round " << round;
    }
    // The rounds cover both outcomes.
    EXPECT_GT(ringsSeen, 1000);
    EXPECT_GT(converted, 20);
    EXPECT_GT(refused, 20);
}

} // namespace
} // namespace qrtz
