#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "qrtzdb/environment/TblAtom.h"
#include "qrtzdb/environment/TblBond.h"

namespace qrtz {
namespace {

// Every test starts from, and leaves behind, the built-in tables.
class Tables : public ::testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }
    static void Reset() { TblAtom::ResetDefaults(); TblBond::ResetDefaults(); }
};

struct Row {
    std::string name;
    Color4V color;
    double radius, mass;
    bool operator==(const Row&) const = default;
};

std::vector<Row> Snapshot() {
    std::vector<Row> rows;
    for (int i = 0; i < TblAtom::kItemCount; ++i)
        rows.push_back({TblAtom::GetName(i), TblAtom::GetColor(i), TblAtom::GetRadius(i),
                        TblAtom::GetMass(i)});
    return rows;
}

TEST_F(Tables, BuiltInElementRows) {
    const Color4V pink(255, 210, 255, 255);
    const Row samples[] = {
        {"H ", pink, 1.2, 1.008},  {"He", Color4V(51, 102, 0, 255), 1.4, 4.0026},
        {"C ", Color4V(204, 149, 114, 255), 0.5, 12.011},
        {"Fe", Color4V(0, 51, 127, 255), 1.24, 55.847},
        {"Tc", Color4V(25, 0, 102, 255), 1.35, 98}, {"Lr", Color4V(0, 255, 255, 255), 1, 260},
        {"D ", pink, 2.4, 2.016},  {"T ", pink, 3.6, 3.024}, {"**", pink, 1, 1},
    };
    const int indexes[] = {0, 1, 5, 25, 42, 102, 103, 104, 114};
    const std::vector<Row> rows = Snapshot();
    for (int k = 0; k < 9; ++k) EXPECT_EQ(rows[indexes[k]], samples[k]) << indexes[k];
    // Every named row is a distinct two-byte key that finds itself; every row is opaque.
    std::set<std::string> names;
    for (int i = 0; i < TblAtom::kItemCount; ++i) {
        EXPECT_EQ(rows[i].color.a, 1.0f) << i;
        EXPECT_EQ(TblAtom::IsNameWildcard(i), i >= TblAtom::kVarFirst ? 1 : 0) << i;
        if (i >= TblAtom::kVarFirst) continue;
        EXPECT_EQ(rows[i].name.size(), 2u) << i;
        EXPECT_TRUE(names.insert(rows[i].name).second) << rows[i].name;
        EXPECT_EQ(TblAtom::GetAtomicNumber(rows[i].name.c_str()), i + 1);
    }
    EXPECT_EQ(TblAtom::GetRadiusScale(), 0.8);
}

TEST_F(Tables, SymbolsAreTwoByteCaseSensitiveKeys) {
    EXPECT_EQ(TblAtom::GetMass("N"), 14.007);
    EXPECT_EQ(TblAtom::GetMass("N "), 14.007);
    EXPECT_EQ(TblAtom::GetRadius("O"), 0.6);
    EXPECT_EQ(TblAtom::GetRadius("C   "), 0.5);  // a padded atom name
    EXPECT_EQ(TblAtom::GetAtomicNumber("Cl1"), 17);
    for (const char* missing : {"CA", "fe", "n", "N15", "Xx", "", " C"})
        EXPECT_EQ(TblAtom::IsAtom(missing), 0) << missing;
    EXPECT_EQ(TblAtom::IsAtom(nullptr), 0);
    EXPECT_EQ(TblAtom::IsNameWildcard(TblAtom::kVarFirst), 1);  // plain lookups take no slot
}

TEST_F(Tables, UnknownSymbolsFillTheTenVariableSlots) {
    const int first = TblAtom::kVarFirst;
    EXPECT_EQ(TblAtom::GetMass("Xx"), 1.0);
    EXPECT_EQ(TblAtom::GetVarName(0), "Xx");
    EXPECT_EQ(TblAtom::IsNameWildcard(first), 0);
    EXPECT_EQ(TblAtom::GetAtomicNumber("Xx"), 106);
    TblAtom::SetRadius("Xx", 7.5);
    EXPECT_EQ(TblAtom::GetRadius(first), 7.5);

    EXPECT_EQ(TblAtom::GetMass("Qq9"), 1.0);  // stored as its key "Qq"
    EXPECT_EQ(TblAtom::GetMass(""), 1.0);     // the empty symbol takes a slot too
    EXPECT_EQ(TblAtom::GetVarName(1), "Qq");
    EXPECT_EQ(TblAtom::GetAtomicNumber(""), 108);
    for (const char* s : {"Y1", "Y2", "Y3", "Y4", "Y5", "Y6", "Y7"}) TblAtom::GetColor(s);
    EXPECT_EQ(TblAtom::GetAtomicNumber("Y7"), 115);

    // The eleventh finds no slot and reads and writes as an index out of range.
    const std::vector<Row> full = Snapshot();
    EXPECT_EQ(TblAtom::GetMass("Zz"), 0.0);
    EXPECT_EQ(&TblAtom::GetColor("Zz"), &TblAtom::GetColor(0));
    TblAtom::SetMass("Zz", 3.0);
    EXPECT_EQ(TblAtom::GetAtomicNumber("Zz"), 0);
    EXPECT_EQ(Snapshot(), full);

    TblAtom::SetVarName(3, "**");  // frees the slot again
    EXPECT_EQ(TblAtom::FindRegIndex("Zz"), first + 3);
    TblAtom::ResetDefaults();
    for (int i = 0; i < TblAtom::kVarCount; ++i) EXPECT_EQ(TblAtom::GetVarName(i), "**");
}

TEST_F(Tables, IndexesOutOfRange) {
    const std::vector<Row> before = Snapshot();
    for (int bad : {-1, 115, 200}) {
        EXPECT_EQ(&TblAtom::GetColor(bad), &TblAtom::GetColor(0)) << bad;
        EXPECT_EQ(TblAtom::GetName(bad), "H ") << bad;
        EXPECT_EQ(TblAtom::GetMass(bad) + TblAtom::GetRadius(bad), 0.0) << bad;
        TblAtom::SetMass(bad, 5.0);
        TblAtom::SetRadius(bad, 5.0);
        TblAtom::SetColor(bad, Color4V(1, 2, 3, 4));
    }
    for (int slot : {-1, 10}) {
        EXPECT_EQ(&TblAtom::GetVarName(slot), &TblAtom::GetName(TblAtom::kVarFirst));
        TblAtom::SetVarName(slot, "Zz");
    }
    EXPECT_EQ(Snapshot(), before);

    TblAtom::SetVarName(4, "abc");  // stored as given, so the key "ab" never finds it
    EXPECT_EQ(TblAtom::GetName(TblAtom::kVarFirst + 4), "abc");
    EXPECT_EQ(TblAtom::IsAtom("abc"), 0);
    TblAtom::SetRadiusScale(1.25);
    EXPECT_EQ(TblAtom::GetRadius("O"), 0.6);
    TblAtom::ResetDefaults();
    EXPECT_EQ(TblAtom::GetRadiusScale(), 0.8);
}

TEST_F(Tables, BondStyles) {
    const char* codes[] = {"1 ", "2 ", "3 ", "AR", "C ", "PL", "R "};
    for (int i = 0; i < TblBond::kItemCount; ++i) {
        EXPECT_EQ(TblBond::FindIndex(codes[i]), i);
        EXPECT_EQ(TblBond::GetWidth(i), 2.0) << i;
    }
    EXPECT_EQ(TblBond::GetColor("AR"), Color4V(255, 0, 0, 255));
    EXPECT_EQ(TblBond::FindIndex("1"), 0);
    EXPECT_EQ(TblBond::FindIndex("ARO"), 3);
    for (const char* missing : {"X", "ar", ""}) {
        EXPECT_EQ(TblBond::IsBond(missing), 0) << missing;
        EXPECT_EQ(TblBond::GetWidth(missing), 0.0) << missing;
        EXPECT_EQ(&TblBond::GetColor(missing), &TblBond::GetColor(0)) << missing;
    }
    TblBond::SetWidth("X", 9.0);
    TblBond::SetWidth(7, 9.0);
    TblBond::SetColor(-1, Color4V(1, 2, 3, 4));
    EXPECT_EQ(TblBond::GetWidth(0), 2.0);
    EXPECT_EQ(TblBond::GetColor(0), Color4V(0, 255, 0, 255));
    EXPECT_EQ(TblBond::GetName(7), "1 ");
    TblBond::SetWidth("C", 3.5);
    EXPECT_EQ(TblBond::GetWidth(4), 3.5);
    TblBond::ResetDefaults();
    EXPECT_EQ(TblBond::GetWidth(4), 2.0);
}

} // namespace
} // namespace qrtz
