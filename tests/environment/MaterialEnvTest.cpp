#include <gtest/gtest.h>

#include "qrtzdb/environment/KelEnv.h"
#include "qrtzdb/environment/MaterialEnv.h"
#include "support/TempSettings.h"

namespace qrtz {
namespace {

class MaterialEnvTest : public testing::TempSettings {
protected:
    void SetUp() override {
        TempSettings::SetUp();
        ASSERT_EQ(KelEnv::RegPrivateEnv(path("work").c_str()), 1);
    }
    std::string materials(const std::string& file) { return path("work/Materials/" + file); }
};

TEST_F(MaterialEnvTest, WritesAndReadsTheFileByteForByte) {
    MaterialEnv silver;
    ASSERT_EQ(silver.WriteMaterial("Silver"), 1);
    EXPECT_EQ(silver.name, "Silver");
    EXPECT_EQ(readFile(materials("Silver.ini")),
              "  0.231250   0.231250   0.231250   1.000000\n"
              "  0.277500   0.277500   0.277500   1.000000\n"
              "  0.773911   0.773911   0.773911   1.000000\n"
              " 10.00\n");
    EXPECT_EQ(MaterialEnv::GetFinder(), path("work/Materials/*.ini"));

    MaterialEnv back;
    back.shininess = 3.0f;
    ASSERT_EQ(back.ReadMaterial("Silver"), 1);
    EXPECT_EQ(back == MaterialEnv(), 1);
    EXPECT_EQ(back.name, "Silver");

    MaterialEnv other;
    EXPECT_EQ(other.ReadMaterial("Gold"), 0);
    EXPECT_EQ(other.name, "Gold");
    EXPECT_EQ(other == MaterialEnv(), 1);

    // Names are not part of equality, and assignment keeps the target's.
    other.specular.g = 0.5f;
    EXPECT_EQ(other == back, 0);
    back = other;
    EXPECT_EQ(back.name, "Silver");
    EXPECT_EQ(back == other, 1);
    MaterialEnv copy(other);
    EXPECT_EQ(copy.name, "Gold");

    EXPECT_EQ(other.WriteMaterial("../escape"), 0);
    EXPECT_FALSE(exists(path("work/escape.ini")));
}

TEST_F(MaterialEnvTest, PartialAndDamagedFilesKeepWhatWasRead) {
    ASSERT_EQ(MaterialEnv().WriteMaterial("Probe"), 1);  // creates the folder
    writeFile(materials("Half.ini"), "0.1 0.2 0.3 0.4 trailing words\n\t0.5   0.6 0.7 0.8\n");
    MaterialEnv m;
    m.specular = Color4V(0.9f, 0.9f, 0.9f, 0.9f);
    m.shininess = 42.0f;
    ASSERT_EQ(m.ReadMaterial("Half"), 1);
    EXPECT_EQ(m.ambient, Color4V(0.1f, 0.2f, 0.3f, 0.4f));
    EXPECT_EQ(m.diffuse, Color4V(0.5f, 0.6f, 0.7f, 0.8f));
    EXPECT_EQ(m.specular, Color4V(0.9f, 0.9f, 0.9f, 0.9f));
    EXPECT_EQ(m.shininess, 42.0f);

    writeFile(materials("Bad.ini"), "0.1 0.2 x 0.4\n1 1 1 1\n1 1 1 1\n5\n");
    MaterialEnv bad;
    ASSERT_EQ(bad.ReadMaterial("Bad"), 1);
    EXPECT_EQ(bad.ambient.r, 0.1f);
    EXPECT_EQ(bad.ambient.g, 0.2f);
    EXPECT_EQ(bad.ambient.b, MaterialEnv().ambient.b);
    EXPECT_EQ(bad.diffuse, MaterialEnv().diffuse);
    EXPECT_EQ(bad.shininess, 10.0f);

    writeFile(materials("Noise.ini"), std::string("1e99 nan \0\xff", 12) + std::string(5000, 'x'));
    MaterialEnv noise;
    EXPECT_EQ(noise.ReadMaterial("Noise"), 1);
    EXPECT_EQ(noise == MaterialEnv(), 1);
}

TEST_F(MaterialEnvTest, WithoutAWorkingAreaThePathIsRelative) {
    unsetVar("QRTZ_REGISTRY");
    setVar("QRTZ_REGISTRY", path("empty-registry"));
    EXPECT_EQ(MaterialEnv::GetMaterialPath("Silver"), "Materials/Silver.ini");
    EXPECT_EQ(MaterialEnv::GetFinder(), "Materials/*.ini");
}

} // namespace
} // namespace qrtz
