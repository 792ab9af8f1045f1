#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "qrtzdb/model/DbAtomSet.h"
#include "qrtzdb/model/DbAtomVSet.h"
#include "qrtzdb/model/DbBondVSet.h"

namespace qrtz {
namespace {

// A component that counts its live instances, so tests see every deletion.
struct Counted : DbComp {
    static int alive;
    explicit Counted(const char* name, int tag_ = 0) : DbComp(name), tag(tag_) { ++alive; }
    Counted(const Counted& o) : DbComp(o), tag(o.tag) { ++alive; }
    ~Counted() override { --alive; }
    DbComp* Copy() const override { return new Counted(*this); }
    int tag;
};
int Counted::alive = 0;

std::vector<std::string> names(const DbCompSet& set) {
    std::vector<std::string> out;
    for (POSITION pos = set.GetHeadPosition(); pos;) out.push_back(set.GetNext(pos)->GetName());
    return out;
}

void fill(DbCompSet& set, std::initializer_list<const char*> list) {
    for (const char* n : list) set.Append(new Counted(n));
}

TEST(DbComp, RenameAsCopyWalksTheCopyNames) {
    struct Case { const char* before; const char* after; int result; };
    const Case cases[] = {
        {"", "~1", 1},
        {"CH4", "CH4~1", 1},
        {"CH4~1", "CH4~2", 1},
        {"CH4~8", "CH4~9", 1},
        {"CH4~9", "CH4~9~1", 1},
        {"X~0", "X~0~1", 1},
        {"ABCDEFGHIJKLMNOP", "ABCDEFGHIJKLMN~1", 1},
        {"ABCDEFGHIJKLMN~9", "ABCDEFGHIJKLMN~9", 0},
        {"ABCDEFGHIJKLMN~3", "ABCDEFGHIJKLMN~4", 1},
    };
    for (const Case& c : cases) {
        DbComp comp(c.before);
        EXPECT_EQ(comp.RenameAsCopy(16), c.result) << c.before;
        EXPECT_EQ(comp.GetName(), c.after) << c.before;
    }
    DbComp tiny("AB");  // a bound below the suffix length leaves only the suffix
    EXPECT_EQ(tiny.RenameAsCopy(1), 1);
    EXPECT_EQ(tiny.GetName(), "~1");
}

TEST(DbComp, NamesAreCutWhereTheClassBoundsThem) {
    DbComp comp;
    EXPECT_EQ(comp.GetName(), "");
    comp.SetName("ABCDEFG", 4);
    EXPECT_EQ(comp.GetName(), "ABCD");
    comp.SetName("AB", 4);
    EXPECT_EQ(comp.GetName(), "AB");

    DbAtom atom("Cl12x", 1, 2, 3);
    EXPECT_EQ(atom.GetName(), "Cl12");
    DbBondV bond("ARO", 1, 2);
    EXPECT_EQ(bond.GetName(), "AR");
    // Through the base interface the name is stored uncut.
    static_cast<DbComp&>(atom).SetName("Carbon");
    EXPECT_EQ(atom.GetName(), "Carbon");
    atom.SetName("Carbon");
    EXPECT_EQ(atom.GetName(), "Carb");
    EXPECT_EQ(DbAtom().GetName(), "    ");
    EXPECT_EQ(DbBond().GetName(), "  ");
}

TEST(DbCompSet, TypeListIsRebuiltOnlyOnRequest) {
    DbCompSet set;
    fill(set, {"N", "H", "N", "O"});
    set.UpdateTypeList();
    ASSERT_EQ(set.GetTypeCount(), 3);
    EXPECT_EQ(*set.GetTypeAt(0), "N");
    EXPECT_EQ(*set.GetTypeAt(1), "H");
    EXPECT_EQ(*set.GetTypeAt(2), "O");
    EXPECT_EQ(set.GetTypeIndex("O"), 2);
    EXPECT_EQ(set.GetTypeIndex("n"), -1);
    EXPECT_EQ(set.GetCountOfType("N"), 2);

    set.Append(new Counted("S"));
    EXPECT_EQ(set.IsType("S"), 0);
    EXPECT_EQ(set.GetCountOfType("S"), 1);
    delete set.Remove(0);
    EXPECT_EQ(set.GetTypeIndex("N"), 0);
    set.UpdateTypeList();
    EXPECT_EQ(set.IsType("S"), 1);
    EXPECT_EQ(set.GetTypeAt(99), nullptr);
}

TEST(DbCompSet, TypedIterationVisitsOnlyThatType) {
    DbCompSet set;
    const char* list[] = {"A", "B", "A", "D", "A"};
    for (int i = 0; i < 5; ++i) set.Append(new Counted(list[i], i));
    POSITION pos = set.GetHeadPosition("A");
    EXPECT_EQ(pos, set.GetHeadPosition());
    std::vector<int> tags;
    while (pos) tags.push_back(static_cast<Counted*>(set.GetNext("A", pos))->tag);
    EXPECT_EQ(tags, (std::vector<int>{0, 2, 4}));
    EXPECT_EQ(set.GetHeadPosition("Z"), nullptr);
    EXPECT_EQ(set.GetHeadPosition("a"), nullptr);
}

TEST(DbCompSet, AppendAtIndexInsertsOrFallsBackToTheTail) {
    DbCompSet set;
    fill(set, {"b", "c"});
    set.Append(0, new Counted("a"));
    set.Append(set.GetCount(), new Counted("d"));
    set.Append(99, new Counted("e"));
    set.Append(-1, new Counted("f"));
    set.Append(2, new Counted("x"));
    EXPECT_EQ(names(set), (std::vector<std::string>{"a", "b", "x", "c", "d", "e", "f"}));
    EXPECT_EQ(set.GetAt(2)->GetName(), "x");
    EXPECT_EQ(set.GetAt(7), nullptr);
    EXPECT_EQ(set.GetAt(-1), nullptr);
    EXPECT_EQ(set.GetPosition(7), nullptr);
}

TEST(DbCompSet, RemoveHandsBackDeleteDestroysAndPositionsSurvive) {
    Counted::alive = 0;
    {
        DbCompSet set;
        fill(set, {"a", "b", "c", "d"});
        POSITION third = set.GetPosition(2);
        DbComp* second = set.Remove(1);
        ASSERT_NE(second, nullptr);
        EXPECT_EQ(second->GetName(), "b");
        EXPECT_EQ(set.GetCount(), 3);
        EXPECT_EQ(Counted::alive, 4);  // removed, not deleted
        delete second;

        set.Delete(set.GetHeadPosition());
        EXPECT_EQ(Counted::alive, 2);
        // The position taken before the removals still addresses "c".
        POSITION pos = third;
        EXPECT_EQ(set.GetNext(pos)->GetName(), "c");
        EXPECT_EQ(set.GetNext(pos)->GetName(), "d");
        EXPECT_EQ(pos, nullptr);

        EXPECT_EQ(set.Remove(5), nullptr);
        set.Delete(5);
        set.Delete(POSITION{});
        EXPECT_EQ(set.GetNext(pos), nullptr);
        EXPECT_EQ(set.GetCount(), 2);
    }
    EXPECT_EQ(Counted::alive, 0);
}

TEST(DbCompSet, AssignmentCopiesDeeplyThroughTheVirtualCopy) {
    Counted::alive = 0;
    DbCompSet a;
    a.Append(new Counted("x", 7));
    a.Append(new Counted("y", 8));
    {
        DbCompSet b;
        fill(b, {"old"});
        b = a;
        ASSERT_EQ(b.GetCount(), 2);
        EXPECT_EQ(Counted::alive, 4);
        auto* copy = dynamic_cast<Counted*>(b.GetAt(0));
        ASSERT_NE(copy, nullptr) << "the copy must keep its class";
        EXPECT_NE(copy, a.GetAt(0));
        EXPECT_EQ(copy->tag, 7);
        EXPECT_EQ(b.GetTypeCount(), 2);

        b += a;
        EXPECT_EQ(names(b), (std::vector<std::string>{"x", "y", "x", "y"}));
        b += b;
        EXPECT_EQ(b.GetCount(), 8);
        b = b;  // self-assignment keeps the members
        EXPECT_EQ(b.GetCount(), 8);
    }
    EXPECT_EQ(Counted::alive, 2);
    EXPECT_EQ(names(a), (std::vector<std::string>{"x", "y"}));
    a.Clear();
    EXPECT_EQ(Counted::alive, 0);
    EXPECT_EQ(a.GetTypeCount(), 0);
}

TEST(DbCompSet, IndexArrayIsASnapshotInListOrder) {
    DbCompSet set;
    set.CreateArray();
    EXPECT_EQ(set.GetArray(), nullptr);
    fill(set, {"a", "b", "c"});
    set.CreateArray();
    ASSERT_NE(set.GetArray(), nullptr);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(set.GetArray()[i], set.GetAt(i));
    set.Clear();
    EXPECT_EQ(set.GetArray(), nullptr);
}

TEST(TypedSets, OperationsKeepTheMemberClass) {
    DbAtomVSet atoms;
    DbAtomV* made = atoms.CreateDbAtomV("H", Vertex3D(0, 0, 0), 1.008, 0.1, 0.3);
    EXPECT_EQ(atoms.GetAtomCount(), 0);
    made->velocity = Vertex3D(1, 2, 3);
    made->flag = 3;
    made->flag3 = Vertex3D(4, 5, 6);
    atoms.AppendAtom(made);
    atoms.AppendAtom(atoms.CreateDbAtomV("H", Vertex3D(2, 0, 0), 1.008, 0, 0));
    atoms.AppendAtom(0, atoms.CreateDbAtomV("O", Vertex3D(1, 3, 0), 15.999, 0, 0));

    DbAtomVSet copy;
    copy = atoms;
    DbAtomV* h = copy.GetAtomAt(1);
    EXPECT_EQ(h->velocity, Vertex3D(1, 2, 3));
    EXPECT_EQ(h->flag, 3);
    EXPECT_EQ(h->flag3, Vertex3D(4, 5, 6));
    EXPECT_EQ(copy.GetAtomTypeCount(), 2);
    EXPECT_EQ(copy.IsAtomType("O"), 1);

    EXPECT_NEAR(atoms.GetMass(), 18.015, 1e-12);
    EXPECT_NEAR(atoms.GetMass("H"), 2.016, 1e-12);
    EXPECT_EQ(atoms.GetMass("h"), 0.0);
    EXPECT_EQ(atoms.GetCenter(), Vertex3D(1, 1, 0));

    atoms.Transform(Vertex3D(1, 1, 1));
    EXPECT_EQ(atoms.GetAtomAt(2)->position, Vertex3D(3, 1, 1));
    const double turn[3][3] = {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}};
    DbAtomV x("C", Vertex3D(1, 0, 0), 12, 0, 0);
    x.Transform(turn);
    EXPECT_EQ(x.position, Vertex3D(0, 1, 0));

    DbBondVSet bonds;
    bonds.AppendBond(bonds.CreateDbBondV("1 ", 1, 2));
    bonds.AppendBond(bonds.CreateDbBondV("AR", 2, 3));
    POSITION pos = bonds.GetBondHeadPosition("AR");
    DbBondV* ar = bonds.GetBondNext("AR", pos);
    EXPECT_EQ(ar->firstAtom, 2);
    EXPECT_EQ(bonds.GetBondCountOfType("1 "), 1);
    delete bonds.RemoveBond(bonds.GetBondPosition(0));
    EXPECT_EQ(bonds.GetBondCount(), 1);
}

} // namespace
} // namespace qrtz
