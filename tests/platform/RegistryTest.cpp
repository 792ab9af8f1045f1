#include <gtest/gtest.h>

#include <cstring>

#include "qrtzdb/platform/Registry.h"
#include "support/TempSettings.h"

namespace qrtz {
namespace {

class RegistryTest : public testing::TempSettings {
protected:
    std::string user(const std::string& rest) { return path("registry/HKEY_CURRENT_USER/" + rest); }
};

TEST_F(RegistryTest, ValuesAreFilesWithTypeAndDataInKeyFolders) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "Software\\Co\\App", KEY_READ | KEY_WRITE, &key,
                             &disposition), ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    ASSERT_EQ(RegSetValueEx(key, "Name", REG_SZ, "abc", 4), ERROR_SUCCESS);
    DWORD number = 0x01020304;
    ASSERT_EQ(RegSetValueEx(key, "Count", REG_DWORD, &number, 4), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueEx(key, nullptr, REG_SZ, "d", 2), ERROR_SUCCESS);
    RegCloseKey(key);

    EXPECT_EQ(readFile(user("Software/Co/App/=Name")), std::string("REG_SZ\nabc\0", 11));
    EXPECT_EQ(readFile(user("Software/Co/App/=Count")), std::string("REG_DWORD\n\4\3\2\1", 14));
    EXPECT_EQ(readFile(user("Software/Co/App/=")), std::string("REG_SZ\nd\0", 9));

    // Names match without regard to case; a rewrite keeps the stored spelling.
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "SOFTWARE\\co\\APP", KEY_READ | KEY_WRITE, &key),
              ERROR_SUCCESS);
    DWORD type = 0, size = 0;
    ASSERT_EQ(RegQueryValueEx(key, "name", &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, 4u);
    char small[2];
    size = sizeof small;
    EXPECT_EQ(RegQueryValueEx(key, "NAME", nullptr, small, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 4u);
    char text[8] = {};
    size = sizeof text;
    ASSERT_EQ(RegQueryValueEx(key, "NAME", nullptr, text, &size), ERROR_SUCCESS);
    EXPECT_STREQ(text, "abc");
    ASSERT_EQ(RegSetValueEx(key, "NAME", REG_SZ, "xy", 3), ERROR_SUCCESS);
    EXPECT_EQ(readFile(user("Software/Co/App/=Name")), std::string("REG_SZ\nxy\0", 10));
    EXPECT_FALSE(exists(user("Software/Co/App/=NAME")));
    RegCloseKey(key);

    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "software\\CO\\app", KEY_READ, &key, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    RegCloseKey(key);
}

TEST_F(RegistryTest, AccessRightsAreHonoured) {
    HKEY key = nullptr;
    EXPECT_FALSE(exists(path("registry")));
    // A new store is a new profile: its software key is there from the start.
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software", KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Nothing", KEY_READ, &key), ENOENT);
    EXPECT_EQ(key, nullptr);

    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "Software", KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software", KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueEx(key, "v", REG_SZ, "a", 2), EACCES);
    HKEY child = nullptr;
    EXPECT_EQ(RegCreateKeyEx(key, "Child", KEY_READ | KEY_WRITE, &child), EACCES);
    EXPECT_EQ(RegDeleteKey(key, "Child"), EACCES);
    EXPECT_FALSE(exists(user("Software/Child")));
    EXPECT_FALSE(exists(user("Software/=v")));
    RegCloseKey(key);

    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software", KEY_WRITE, &key), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueEx(key, "v", REG_SZ, "a", 2), ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueEx(key, "v", nullptr, nullptr, &size), EACCES);
    RegCloseKey(key);
}

TEST_F(RegistryTest, DeletionAndOddNames) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyEx(HKEY_LOCAL_MACHINE, "A\\B", KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    // Names that are no file names stay inside their key folder.
    ASSERT_EQ(RegSetValueEx(key, "../x/y", REG_SZ, "1", 2), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueEx(key, "100%", REG_SZ, "2", 2), ERROR_SUCCESS);
    HKEY odd = nullptr;
    ASSERT_EQ(RegCreateKeyEx(key, "..", KEY_ALL_ACCESS, &odd), ERROR_SUCCESS);
    RegCloseKey(odd);
    EXPECT_TRUE(exists(path("registry/HKEY_LOCAL_MACHINE/A/B/=..%2Fx%2Fy")));
    EXPECT_TRUE(exists(path("registry/HKEY_LOCAL_MACHINE/A/B/=100%25")));
    EXPECT_TRUE(exists(path("registry/HKEY_LOCAL_MACHINE/A/B/%2E.")));
    char text[4] = {};
    DWORD size = sizeof text;
    ASSERT_EQ(RegQueryValueEx(key, "../x/y", nullptr, text, &size), ERROR_SUCCESS);
    EXPECT_STREQ(text, "1");

    // A damaged value file is an error, not a crash.
    writeFile(path("registry/HKEY_LOCAL_MACHINE/A/B/=bad"), "no header line");
    size = sizeof text;
    EXPECT_EQ(RegQueryValueEx(key, "bad", nullptr, text, &size), EINVAL);

    EXPECT_EQ(RegDeleteValue(key, "100%"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValue(key, "100%"), ENOENT);
    EXPECT_EQ(RegDeleteKey(key, ".."), ERROR_SUCCESS);
    RegCloseKey(key);

    ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "A", KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    HKEY sub = nullptr;
    ASSERT_EQ(RegCreateKeyEx(key, "B\\C", KEY_ALL_ACCESS, &sub), ERROR_SUCCESS);
    RegCloseKey(sub);
    EXPECT_EQ(RegDeleteKey(key, "B"), EACCES);  // still has a subkey
    EXPECT_EQ(RegDeleteKey(key, "B\\C"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKey(key, "b"), ERROR_SUCCESS);
    EXPECT_FALSE(exists(path("registry/HKEY_LOCAL_MACHINE/A/B")));
    EXPECT_EQ(RegDeleteKey(key, "B"), ENOENT);
    RegCloseKey(key);
}

TEST_F(RegistryTest, RootFollowsTheEnvironment) {
    EXPECT_EQ(GetRegistryRoot(), path("registry"));
    unsetVar("QRTZ_REGISTRY");
    EXPECT_EQ(GetRegistryRoot(), path("config") + "/qrtz/registry");
    unsetVar("XDG_CONFIG_HOME");
    EXPECT_EQ(GetRegistryRoot(), path("home") + "/.config/qrtz/registry");
}

} // namespace
} // namespace qrtz
