#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "model/RingSheet.h"
#include "qrtzdb/model/BenBond.h"

namespace qrtz {
namespace {

using testing::atomNames;
using testing::bondNames;
using testing::RingSheet;

// Benzene with hydrogens, its ring bonds alternating "2 ", "1 ", ... from the first.
RingSheet kekuleBenzene() {
    RingSheet sheet;
    sheet.AddCell(0, 0);
    for (std::size_t k = 0; k < 6; ++k) sheet.bonds[k].name = k % 2 ? "1 " : "2 ";
    sheet.AddHydrogens();
    return sheet;
}

long aromaticBonds(const DbMolecule& mol) {
    const auto names = bondNames(mol);
    return std::count(names.begin(), names.end(), "AR");
}

TEST(AssignAromaticTypes, FindsKekuleRingsAndCodesTheAtoms) {
    DbMolecule benzene;
    kekuleBenzene().Fill(benzene);
    // A carbonyl, a nitrile and a carbon named in two bytes away from the ring.
    const int n = benzene.GetAtomCount();
    for (const char* name : {"C   ", "O   ", "C   ", "N   ", "C "})
        benzene.AppendAtom(benzene.CreateDbAtomV(name, Vertex3D(20.0 + benzene.GetAtomCount() * 1.2, 0, 0), 12, 0, 0));
    benzene.AppendBond(benzene.CreateDbBondV("2 ", n + 1, n + 2));
    benzene.AppendBond(benzene.CreateDbBondV("3 ", n + 3, n + 4));
    benzene.AppendBond(benzene.CreateDbBondV("1 ", n + 5, n + 3));
    EXPECT_EQ(AssignAromaticTypes(&benzene), 0);

    const auto atoms = atomNames(benzene);
    for (int a = 0; a < 6; ++a) EXPECT_EQ(atoms[static_cast<std::size_t>(a)], "C R ");
    for (int a = 6; a < 12; ++a) EXPECT_EQ(atoms[static_cast<std::size_t>(a)], "H   ");
    EXPECT_EQ(std::vector<std::string>(atoms.begin() + 12, atoms.end()),
              (std::vector<std::string>{"C 2 ", "O 2 ", "C 3 ", "N 3 ", "C "}));
    const auto bonds = bondNames(benzene);
    EXPECT_EQ(std::vector<std::string>(bonds.begin(), bonds.begin() + 6), std::vector<std::string>(6, "AR"));
    EXPECT_EQ(std::vector<std::string>(bonds.begin() + 6, bonds.end()),
              (std::vector<std::string>{"1 ", "1 ", "1 ", "1 ", "1 ", "1 ", "2 ", "3 ", "1 "}));

    // Only bonds stored smaller number first are renamed.
    DbMolecule reversed;
    RingSheet sheet = kekuleBenzene();
    std::swap(sheet.bonds[2].first, sheet.bonds[2].second);
    sheet.Fill(reversed);
    AssignAromaticTypes(&reversed);
    EXPECT_EQ(bondNames(reversed)[2], "2 ");
    EXPECT_EQ(bondNames(reversed)[3], "AR");
}

TEST(AssignAromaticTypes, LeavesWhatIsNoBenzeneRing) {
    // Cyclohexene and 1,3-cyclohexadiene on the same hexagon.
    for (int doubles : {1, 2}) {
        DbMolecule mol;
        RingSheet sheet;
        sheet.AddCell(0, 0);
        for (std::size_t k = 0; k < 6; ++k) sheet.bonds[k].name = (k == 0 || (doubles == 2 && k == 2)) ? "2 " : "1 ";
        sheet.Fill(mol);
        AssignAromaticTypes(&mol);
        std::vector<std::string> expected(6, "C 1 ");
        expected[0] = expected[1] = "C 2 ";
        if (doubles == 2) expected[2] = expected[3] = "C 2 ";
        EXPECT_EQ(atomNames(mol), expected);
        EXPECT_EQ(aromaticBonds(mol), 0);
    }

    // One para distance stretched past 2.9 Å.
    RingSheet stretched = kekuleBenzene();
    stretched.atoms[0].position.x += 0.2;
    stretched.atoms[0].position.y += 0.12;
    DbMolecule mol;
    stretched.Fill(mol);
    AssignAromaticTypes(&mol);
    EXPECT_EQ(aromaticBonds(mol), 0);
    EXPECT_EQ(atomNames(mol)[0], "C 2 ");

    // Thousands of copies of one double bond would link every copy to every other: refused.
    DbMolecule crowded;
    crowded.AppendAtom(crowded.CreateDbAtomV("C   ", Vertex3D(0, 0, 0), 12, 0, 0));
    crowded.AppendAtom(crowded.CreateDbAtomV("C   ", Vertex3D(1.3, 0, 0), 12, 0, 0));
    for (int i = 0; i < 3000; ++i) crowded.AppendBond(crowded.CreateDbBondV("2 ", 1, 2));
    EXPECT_EQ(AssignAromaticTypes(&crowded), 5);
    EXPECT_EQ(atomNames(crowded), std::vector<std::string>(2, "C   "));
}

TEST(AssignAromaticTypes, GivesBackWhatKekuleConversionTookAway) {
    // Naphthalene, phenanthrene, triphenylene with hydrogens: converted, then recognised.
    for (auto cells : {std::vector<std::pair<int, int>>{{0, 0}, {1, 0}},
                       std::vector<std::pair<int, int>>{{0, 0}, {1, 0}, {1, 1}},
                       std::vector<std::pair<int, int>>{{0, 0}, {1, 0}, {-1, 1}, {0, -1}}}) {
        RingSheet sheet;
        for (auto [q, r] : cells) sheet.AddCell(q, r);
        sheet.AddHydrogens();
        DbMolecule mol;
        sheet.Fill(mol);
        const auto aromatic = bondNames(mol);
        BenBond converter(&mol);
        ASSERT_EQ(converter.Convert(), 1);
        AssignAromaticTypes(&mol);
        EXPECT_EQ(bondNames(mol), aromatic);
    }
}

// ---- The plain walk, written as the rule reads ----

void plainAssign(DbMolecule& mol) {
    std::vector<DbAtomV*> atoms;
    for (POSITION pos = mol.GetAtomHeadPosition(); pos;) atoms.push_back(mol.GetAtomNext(pos));
    const int n = static_cast<int>(atoms.size());
    std::vector<DbBondV*> bonds;
    for (POSITION pos = mol.GetBondHeadPosition(); pos;) {
        DbBondV* b = mol.GetBondNext(pos);
        if (b->firstAtom >= 1 && b->firstAtom <= n && b->secondAtom >= 1 && b->secondAtom <= n) bonds.push_back(b);
    }
    auto order = [](const std::string& name) {
        const std::string two = name.substr(0, 2);
        return two == "2 " ? 2 : two == "3 " ? 3 : two == "AR" ? 4 : 1;
    };
    std::vector<char> code(static_cast<std::size_t>(n) + 1, ' ');
    for (int a = 1; a <= n; ++a) {
        int highest = 1;
        for (DbBondV* b : bonds)
            if (b->firstAtom == a || b->secondAtom == a) highest = std::max(highest, order(b->Name()));
        if (atoms[static_cast<std::size_t>(a) - 1]->Name().substr(0, 1) != "H") code[static_cast<std::size_t>(a)] = "123R"[highest - 1];
    }
    std::vector<int> d;
    for (DbBondV* b : bonds)
        if (b->Name().substr(0, 2) == "2 ") d.insert(d.end(), {b->firstAtom, b->secondAtom});
    std::vector<std::vector<int>> nl(static_cast<std::size_t>(n) + 1), g(static_cast<std::size_t>(n) + 1);
    for (DbBondV* b : bonds) {
        if (nl[static_cast<std::size_t>(b->firstAtom)].size() < 12) nl[static_cast<std::size_t>(b->firstAtom)].push_back(b->secondAtom);
        if (nl[static_cast<std::size_t>(b->secondAtom)].size() < 12) nl[static_cast<std::size_t>(b->secondAtom)].push_back(b->firstAtom);
    }
    for (std::size_t i = 0; i < d.size(); ++i)
        for (std::size_t j = i + 1; j < d.size(); ++j) {
            const auto& list = nl[static_cast<std::size_t>(d[i])];
            if (std::find(list.begin(), list.end(), d[j]) == list.end()) continue;
            g[static_cast<std::size_t>(d[i])].push_back(d[j]);
            g[static_cast<std::size_t>(d[j])].push_back(d[i]);
        }
    auto gOf = [&](int a) -> const std::vector<int>& { return g[static_cast<std::size_t>(a)]; };
    std::set<int> ringAtoms;
    std::set<std::pair<int, int>> ringBonds;
    for (int a : d) {
        if (gOf(a).size() != 2 && gOf(a).size() != 3) continue;
        const int l[4] = {a, gOf(a)[0], gOf(a)[1], gOf(a).size() == 3 ? gOf(a)[2] : 0};
        std::vector<int> t[4];
        std::size_t k = 0;
        for (int p = 0; p < 4; ++p) {
            for (int e : d) {
                if (l[p] == 0 || t[p].size() == 10) break;
                const Vertex3D& r = atoms[static_cast<std::size_t>(l[p]) - 1]->position;
                const Vertex3D& s = atoms[static_cast<std::size_t>(e) - 1]->position;
                const double ex = s.x - r.x, ey = s.y - r.y, ez = s.z - r.z;
                const double d2 = ex * ex + ey * ey + ez * ez;
                if (d2 >= 6.25 && d2 <= 8.41) t[p].push_back(e);
            }
            k = std::max(k, t[p].size());
        }
        std::vector<std::pair<int, int>> pairs;  // (x, nb)
        int count = 0;
        const int patterns[6][2] = {{1, 2}, {2, 1}, {3, 1}, {1, 3}, {2, 3}, {3, 2}};
        for (const auto& pt : patterns) {
            const int nb = l[pt[1]];
            for (std::size_t m = 0; m < k; ++m) {
                if (m >= t[pt[0]].size() || nb == 0) continue;
                for (int z : gOf(nb))
                    if (z == t[pt[0]][m]) {
                        ++count;
                        if (pairs.size() < 3) pairs.push_back({z, nb});
                    }
            }
            int sixth = 0;
            if (count == 2 && k > 0) {
                int hits = 0, y = 0;
                for (std::size_t m = 0; m < k && m < t[0].size(); ++m)
                    for (int z : gOf(t[0][m])) {
                        if (z == pairs[0].first) hits++, y = t[0][m];
                        if (z == pairs[1].first) hits++, y = t[0][m];
                    }
                if (hits == 2) sixth = y;
            } else if (count == 3) {
                sixth = pairs[2].first;
            }
            if (sixth) {
                const int x1 = pairs[0].first, nb1 = pairs[0].second, x2 = pairs[1].first, nb2 = pairs[1].second;
                ringAtoms.insert({a, x1, nb1, x2, nb2, sixth});
                for (auto [u, v] : {std::pair{a, nb1}, {a, nb2}, {nb2, x2}, {x2, sixth}, {sixth, x1}, {x1, nb1}})
                    ringBonds.insert({std::min(u, v), std::max(u, v)});
            }
            if (sixth || count != 1) {
                count = 0;
                pairs.clear();
            }
        }
    }
    for (int a = 1; a <= n; ++a) {
        std::string name = atoms[static_cast<std::size_t>(a) - 1]->Name();
        if (name.size() < 3) continue;
        name[2] = ringAtoms.count(a) ? 'R' : code[static_cast<std::size_t>(a)];
        atoms[static_cast<std::size_t>(a) - 1]->DbComp::SetName(name.c_str());
    }
    for (DbBondV* b : bonds)
        if (ringBonds.count({b->firstAtom, b->secondAtom})) b->SetName("AR");
}

TEST(AssignAromaticTypes, FindsWhatThePlainWalkFinds) {
    std::mt19937 rng(77);
    std::normal_distribution<double> jitter(0.0, 0.06);
    long rings = 0;
    for (int round = 0; round < 200; ++round) {
        // A honeycomb patch with hydrogens, a random matching of double bonds, shaken atoms,
        // and now and then a bond turned round, doubled, retyped or pointing nowhere.
        RingSheet sheet;
        const int span = 1 + static_cast<int>(rng() % 4);
        for (int q = 0; q < span; ++q)
            for (int r = 0; r < span; ++r)
                if (rng() % 5 != 0) sheet.AddCell(q, r);
        if (sheet.atoms.empty()) sheet.AddCell(0, 0);
        sheet.AddHydrogens();
        std::vector<char> matched(sheet.atoms.size() + 1, 0);
        std::vector<std::size_t> order(sheet.bonds.size());
        for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
        std::shuffle(order.begin(), order.end(), rng);
        for (std::size_t i : order) {
            auto& b = sheet.bonds[i];
            b.name = "1 ";
            if (sheet.atoms[static_cast<std::size_t>(b.second) - 1].name[0] == 'H' || matched[static_cast<std::size_t>(b.first)] ||
                matched[static_cast<std::size_t>(b.second)] || rng() % 8 == 0)
                continue;
            b.name = "2 ";
            matched[static_cast<std::size_t>(b.first)] = matched[static_cast<std::size_t>(b.second)] = 1;
        }
        const char* odd[] = {"AR", "3 ", "PL", "2"};
        for (auto& b : sheet.bonds) {
            const unsigned roll = rng() % 60;
            if (roll < 4) b.name = odd[roll];
            if (roll == 4) std::swap(b.first, b.second);
        }
        const int atomCount = static_cast<int>(sheet.atoms.size());
        for (int k = static_cast<int>(rng() % 3); k > 0; --k)
            sheet.bonds.push_back({1 + static_cast<int>(rng() % atomCount), 1 + static_cast<int>(rng() % (atomCount + 3)), "2 "});
        for (auto& a : sheet.atoms) {
            a.position.x += jitter(rng);
            a.position.y += jitter(rng);
            a.position.z += jitter(rng);
            if (rng() % 30 == 0) a.name = "C ";
        }
        DbMolecule fast, plain;
        sheet.Fill(fast);
        sheet.Fill(plain);
        EXPECT_EQ(AssignAromaticTypes(&fast), 0);
        plainAssign(plain);
        ASSERT_EQ(atomNames(fast), atomNames(plain)) << "round " << round;
        ASSERT_EQ(bondNames(fast), bondNames(plain)) << "round " << round;
        rings += aromaticBonds(fast);
    }
    EXPECT_GT(rings, 500);  // the shaking leaves many rings found
}

} // namespace
} // namespace qrtz
