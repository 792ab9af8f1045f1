#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

#include "qrtzdb/platform/FileSystem.h"
#include "qrtzdb/platform/PrivateProfile.h"
#include "qrtzdb/platform/System.h"
#include "support/TempSettings.h"

namespace qrtz {
namespace {

using PrivateProfileTest = testing::TempSettings;
using FileSystemTest = testing::TempSettings;

TEST_F(PrivateProfileTest, ReadsWithWindowsMatchingRules) {
    std::string ini = path("a.ini");
    writeFile(ini, "top=0\n[ View ]\n; mode=comment\n  Mode = Stick  \nq=\"quoted \"\n"
                   "[view]\nmode=second\n[Other]\nmode=other\n");
    char buffer[1024];
    EXPECT_EQ(GetPrivateProfileString("VIEW", "MODE", "d", buffer, sizeof buffer, ini.c_str()), 5u);
    EXPECT_STREQ(buffer, "Stick");
    GetPrivateProfileString("view", "q", "", buffer, sizeof buffer, ini.c_str());
    EXPECT_STREQ(buffer, "quoted ");
    EXPECT_EQ(GetPrivateProfileString("View", "top", "none", ini.c_str()), "none");
    EXPECT_EQ(GetPrivateProfileString("Other", "mode", "", ini.c_str()), "other");
    EXPECT_EQ(GetPrivateProfileString("View", "x", "dflt", path("missing.ini").c_str()), "dflt");
    char tiny[4];
    EXPECT_EQ(GetPrivateProfileString("View", "Mode", "", tiny, sizeof tiny, ini.c_str()), 3u);
    EXPECT_STREQ(tiny, "Sti");
}

TEST_F(PrivateProfileTest, WritesChangeOnlyTheirEntry) {
    std::string ini = path("b.ini");
    writeFile(ini, "; keep me\r\n[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n");
    ASSERT_NE(WritePrivateProfileString("a", "X", "10", ini.c_str()), 0);
    ASSERT_NE(WritePrivateProfileString("A", "z", "3", ini.c_str()), 0);
    ASSERT_NE(WritePrivateProfileString("C", "w", "4", ini.c_str()), 0);
    EXPECT_EQ(readFile(ini),
              "; keep me\r\n[A]\r\nX=10\r\nz=3\r\n\r\n[B]\r\ny=2\r\n[C]\r\nw=4\r\n");

    ASSERT_NE(WritePrivateProfileString("A", "x", nullptr, ini.c_str()), 0);
    ASSERT_NE(WritePrivateProfileString("b", nullptr, nullptr, ini.c_str()), 0);
    EXPECT_EQ(readFile(ini), "; keep me\r\n[A]\r\nz=3\r\n\r\n[C]\r\nw=4\r\n");

    // What the file could not hold is refused and leaves it untouched.
    EXPECT_EQ(WritePrivateProfileString("A", "z", "1\n[B]", ini.c_str()), 0);
    EXPECT_EQ(WritePrivateProfileString("A", "k=v", "1", ini.c_str()), 0);
    EXPECT_EQ(readFile(ini), "; keep me\r\n[A]\r\nz=3\r\n\r\n[C]\r\nw=4\r\n");

    std::string fresh = path("new.ini");
    writeFile(fresh, "[S]\nk=v");  // no line end at the end
    ASSERT_NE(WritePrivateProfileString("S", "n", "1", fresh.c_str()), 0);
    EXPECT_EQ(readFile(fresh), "[S]\nk=v\nn=1\n");
    writeFile(fresh, "[S]\nk=v\r");  // a lone carriage return is not a line end
    ASSERT_NE(WritePrivateProfileString("T", "n", "1", fresh.c_str()), 0);
    EXPECT_EQ(GetPrivateProfileString("T", "n", "", fresh.c_str()), "1");
    EXPECT_EQ(GetPrivateProfileString("S", "k", "", fresh.c_str()), "v");
    EXPECT_EQ(WritePrivateProfileString("S", "n", "1", path("no/such/dir.ini").c_str()), 0);
}

TEST_F(FileSystemTest, CopyReportsAnExistingTargetDistinctly) {
    std::string from = path("from.txt"), to = path("to.txt");
    writeFile(from, "new");
    writeFile(to, "old");
    EXPECT_EQ(CopyFile(from, to, true), kErrorFileExists);
    EXPECT_EQ(readFile(to), "old");
    EXPECT_EQ(CopyFile(from, to, false), 0);
    EXPECT_EQ(readFile(to), "new");
    int missing = CopyFile(path("none"), path("other"), true);
    EXPECT_EQ(missing, ENOENT);
    EXPECT_EQ(GetSystemErrorText(missing), std::strerror(ENOENT));
    EXPECT_FALSE(exists(path("other")));

    EXPECT_EQ(CreateDirectories(path("d/e/f")), 0);
    EXPECT_EQ(CreateDirectories(from + "/g"), ENOTDIR);
    EXPECT_EQ(CreateSymbolicLink(path("d"), path("link")), 0);
    EXPECT_EQ(CreateSymbolicLink(path("d/e"), path("link")), 0);
    bool isDirectory = false;
    EXPECT_TRUE(PathExists(path("link/f"), &isDirectory));
    EXPECT_TRUE(isDirectory);
    EXPECT_EQ(CreateSymbolicLink(path("d"), from), EEXIST);  // never over a real file
    EXPECT_EQ(readFile(from), "new");

    // An atomic replacement writes through a link and keeps the file's mode.
    ::chmod(to.c_str(), 0600);
    ASSERT_EQ(CreateSymbolicLink(to, path("alias")), 0);
    ASSERT_EQ(WriteFileAtomically(path("alias"), "via link"), 0);
    EXPECT_EQ(readFile(to), "via link");
    struct stat st {};
    ASSERT_EQ(::lstat(path("alias").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(::stat(to.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    PlatformVersion version;
    ASSERT_TRUE(GetPlatformVersion(version));
    EXPECT_EQ(version.platformId, kPlatformNT);
    EXPECT_FALSE(version.systemName.empty());
}

} // namespace
} // namespace qrtz
