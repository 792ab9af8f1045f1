#include <gtest/gtest.h>

#include <string>

#include "qrtzdb/model/DbCrystal.h"

namespace qrtz {
namespace {

// A derived crystal, to see that supercells keep the class of their source.
struct TaggedCrystal : DbCrystal {
    using DbCrystal::DbCrystal;
    DbComp* Copy() const override {
        auto* copy = new TaggedCrystal;
        static_cast<DbCrystal&>(*copy) = *this;
        copy->tag = tag;
        return copy;
    }
    int tag = 0;
};

DbAtomV* atom(DbCrystal& crystal, const char* name, Vertex3D s, double mass) {
    DbAtomV* made = crystal.CreateDbAtomV(name, s, mass, 0.0, 1.0);
    crystal.AppendAtom(made);
    return made;
}

TEST(DbCrystal, NamesCellsAndCopies) {
    EXPECT_EQ(DbCrystal().GetName(), std::string(16, ' '));
    DbCrystal named("ABCDEFGHIJKLMNOPQRST", 4, 5, 6, 80, 90, 100);
    EXPECT_EQ(named.GetName(), "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(named.gamma, 100.0);
    named.SetName("12345678901234567");
    EXPECT_EQ(named.GetName(), "1234567890123456");

    atom(named, "Si", {0.1, 0.2, 0.3}, 28.085);
    atom(named, "O", {0.4, 0.5, 0.6}, 15.999);
    named.lowerCorner = Vertex3D(-1, -1, -1);
    DbComp* made = named.Copy();
    auto* copy = dynamic_cast<DbCrystal*>(made);
    ASSERT_NE(copy, nullptr);
    EXPECT_TRUE(copy->GetName() == named.GetName() && copy->c == 6.0);
    EXPECT_EQ(copy->lowerCorner, Vertex3D(0, 0, 0));
    ASSERT_EQ(copy->GetAtomCount(), 2);
    EXPECT_NE(copy->GetAtomAt(1), named.GetAtomAt(1));
    EXPECT_EQ(copy->GetAtomAt(1)->position, Vertex3D(0.4, 0.5, 0.6));
    EXPECT_EQ(copy->GetAtomTypeCount(), 2);
    delete made;

    DbCrystal target("t");
    target.upperCorner = Vertex3D(2, 2, 2);
    atom(target, "X", {}, 1);
    target = named;
    EXPECT_TRUE(target.GetAtomCount() == 2 && target.GetName() == named.GetName());
    EXPECT_EQ(target.upperCorner, Vertex3D(2, 2, 2));
    target = target;
    EXPECT_EQ(target.GetAtomCount(), 2);
}

TEST(DbCrystal, DensityInGramsPerCubicAngstrom) {
    DbCrystal carbon("C", 1, 1, 1, 90, 90, 90);
    atom(carbon, "C", {}, 12.011);
    EXPECT_DOUBLE_EQ(carbon.GetDensity(), 12.011 * 1.6605778811026236e-24);

    // Rock salt, a = 5.6402 Å: 2.165 g/cm³, that is 2.165e-24 g/Å³.
    DbCrystal salt("NaCl", 5.6402, 5.6402, 5.6402, 90, 90, 90);
    const double fcc[4][3] = {{0, 0, 0}, {0.5, 0.5, 0}, {0.5, 0, 0.5}, {0, 0.5, 0.5}};
    for (const auto& s : fcc) {
        atom(salt, "Na", {s[0], s[1], s[2]}, 22.98977);
        atom(salt, "Cl", {s[0] + 0.5, s[1], s[2]}, 35.453);
    }
    EXPECT_NEAR(salt.GetDensity() * 1e24, 2.165, 2e-3);
    // Its primitive rhombohedral cell holds one pair in a quarter of the volume.
    DbCrystal primitive("NaCl", 3.98822, 3.98822, 3.98822, 60, 60, 60);
    atom(primitive, "Na", {}, 22.98977);
    atom(primitive, "Cl", {0.5, 0.5, 0.5}, 35.453);
    EXPECT_NEAR(primitive.GetDensity() / salt.GetDensity(), 1.0, 1e-5);

    DbCrystal flat("flat", 0, 1, 1, 90, 90, 90);
    atom(flat, "C", {}, 12.011);
    EXPECT_EQ(flat.GetDensity(), 0.0);
}

TEST(DbCrystal, SupercellsRepeatTheAtomsCellByCell) {
    DbCrystal single("one", 4, 5, 6, 90, 90, 90);
    atom(single, "Ar", {0.5, 0.5, 0.5}, 39.948);
    DbCrystal* two = single.CopySymmetry(2, 1, 1);
    EXPECT_TRUE(two->a == 8 && two->b == 5 && two->c == 6);
    ASSERT_EQ(two->GetAtomCount(), 2);
    EXPECT_EQ(two->GetAtomAt(0)->position, Vertex3D(0.25, 0.5, 0.5));
    EXPECT_EQ(two->GetAtomAt(1)->position, Vertex3D(0.75, 0.5, 0.5));
    delete two;
    DbCrystal* none = single.CopySymmetry(0, 2, 2);
    EXPECT_TRUE(none->GetAtomCount() == 0 && none->a == 0 && none->c == 12);
    delete none;

    // Triclinic, two kinds: every made atom sits at its source's Cartesian place shifted by
    // whole cell vectors, in the order (i, j, k, atom), with the source's other fields.
    TaggedCrystal source("tri", 3, 4, 5, 75, 85, 100);
    source.tag = 9;
    DbAtomV* first = atom(source, "Si", {0.1, 0.2, 0.3}, 28.085);
    first->velocity = Vertex3D(1, 2, 3);
    first->flag = 5;
    atom(source, "O", {0.7, 0.05, 0.95}, 15.999);
    const int na = 2, nb = 3, nc = 4;
    DbCrystal* super = source.CopySymmetry(na, nb, nc);
    auto* tagged = dynamic_cast<TaggedCrystal*>(super);
    ASSERT_NE(tagged, nullptr);
    EXPECT_EQ(tagged->tag, 9);
    EXPECT_TRUE(super->b == 12 && super->alpha == 75 && super->GetAtomTypeCount() == 2);
    EXPECT_NEAR(super->GetDensity(), source.GetDensity(), 1e-12 * source.GetDensity());
    ASSERT_EQ(super->GetAtomCount(), 2 * na * nb * nc);
    EXPECT_EQ(source.GetAtomCount(), 2);

    double Hs[3][3], Hu[3][3];
    ASSERT_TRUE(source.GetHmatrix(Hs) && super->GetHmatrix(Hu));
    POSITION pos = super->GetAtomHeadPosition();
    for (int i = 0; i < na; ++i)
        for (int j = 0; j < nb; ++j)
            for (int k = 0; k < nc; ++k)
                for (int n = 0; n < 2; ++n) {
                    const DbAtomV* from = source.GetAtomAt(n);
                    const DbAtomV* made = super->GetAtomNext(pos);
                    ASSERT_NE(made, from);
                    EXPECT_TRUE(made->Name() == from->Name() && made->mass == from->mass &&
                                made->velocity == from->velocity && made->flag == from->flag);
                    const Vertex3D shift = (from->position + Vertex3D(i, j, k)).Transform(Hs) -
                                           made->position.Transform(Hu);
                    EXPECT_NEAR(shift.GetAbsolute(), 0.0, 1e-12) << i << j << k << n;
                }
    delete super;
    DbCrystal* same = source.CopySymmetry(1, 1, 1);
    ASSERT_EQ(same->GetAtomCount(), 2);
    EXPECT_TRUE(same->GetAtomAt(1)->position == source.GetAtomAt(1)->position && same->a == 3);
    delete same;
}

} // namespace
} // namespace qrtz
