#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "qrtzdb/basis/DirManager.h"

namespace qrtz {
namespace {

namespace fs = std::filesystem;

TEST(DirManager, CreatesNestedDirectoriesAndLinks) {
    const fs::path root = fs::path(testing::TempDir()) / "qrtz-dirmanager";
    fs::remove_all(root);
    const fs::path deep = root / "Polymer" / "monomer" / "head";

    EXPECT_NE(DirManager::WriteDir((deep.string() + "/").c_str()), 0);
    EXPECT_TRUE(fs::is_directory(deep));
    EXPECT_NE(DirManager::WriteDir(deep.c_str()), 0);  // already there
    EXPECT_NE(DirManager::WriteDir((root.string() + "//Polymer//tmp").c_str()), 0);
    EXPECT_TRUE(fs::is_directory(root / "Polymer" / "tmp"));

    std::ofstream(root / "plain") << "data";
    EXPECT_EQ(DirManager::WriteDir((root / "plain").c_str()), 0);
    EXPECT_EQ(DirManager::WriteDir((root / "plain" / "below").c_str()), 0);
    EXPECT_EQ(DirManager::WriteDir(""), 0);

    const fs::path link = root / "Common Data.lnk";
    EXPECT_NE(DirManager::CreateLinkFile(link.c_str(), "", deep.c_str()), 0);
    EXPECT_EQ(fs::read_symlink(link), deep);
    EXPECT_TRUE(fs::is_directory(link));
    // Making the environment again points the shortcut at the new place.
    EXPECT_NE(DirManager::CreateLinkFile(link.c_str(), "", (root / "Polymer").c_str()), 0);
    EXPECT_EQ(fs::read_symlink(link), root / "Polymer");
    // A real file of that name is never replaced.
    EXPECT_EQ(DirManager::CreateLinkFile((root / "plain").c_str(), "", deep.c_str()), 0);
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(root / "plain")));

    fs::remove_all(root);
}

} // namespace
} // namespace qrtz
