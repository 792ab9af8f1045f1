#include <gtest/gtest.h>

#include "qrtzdb/environment/CRegManager.h"
#include "support/TempSettings.h"

namespace qrtz {
namespace {

class CRegManagerTest : public testing::TempSettings {
protected:
    void SetUp() override {
        TempSettings::SetUp();
        HKEY software = nullptr;
        ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "Software", KEY_ALL_ACCESS, &software),
                  ERROR_SUCCESS);
        RegCloseKey(software);
    }
    std::string product(const std::string& rest = "") {
        return path("registry/HKEY_CURRENT_USER/Software/Brellix/Qrtz3.0") +
               (rest.empty() ? "" : "/" + rest);
    }
};

TEST_F(CRegManagerTest, ReadOnlyReadsCreateNothingReadWriteReadsLeaveTheSection) {
    CRegManager reg;
    EXPECT_EQ(reg.GetWinAppRegistryKey(), "Brellix\\Qrtz3.0");
    reg.SetReadOnly();
    EXPECT_EQ(reg.GetProfileStringA("Sec", "Entry", "dflt"), "dflt");
    EXPECT_EQ(reg.GetProfileDword("Sec", "Entry", 7), 7u);
    EXPECT_EQ(reg.GetSectionKey("Sec"), nullptr);
    EXPECT_EQ(reg.WriteProfileStringA("Sec", "Entry", "x"), 0);
    EXPECT_FALSE(exists(path("registry/HKEY_CURRENT_USER/Software/Brellix")));

    CRegManager copy = reg;  // copies carry the mode
    copy.SetReadWrite();
    EXPECT_EQ(copy.GetProfileStringA("Sec", "Entry", "dflt"), "dflt");
    EXPECT_TRUE(exists(product("Sec")));
    EXPECT_FALSE(exists(product("Sec/=Entry")));
}

TEST_F(CRegManagerTest, EntriesKeepTheirStoredBytes) {
    CRegManager reg;
    ASSERT_EQ(reg.WriteProfileStringA("Sec", "Text", "abc"), 1);
    EXPECT_EQ(readFile(product("Sec/=Text")), std::string("REG_SZ\nabc\0", 11));
    EXPECT_EQ(reg.GetProfileStringA("Sec", "Text", ""), "abc");
    EXPECT_EQ(reg.GetProfileDword("Sec", "Text", 0), 0x00636261u);

    ASSERT_EQ(reg.WriteProfileDword("Sec", "Number", 0x00424241), 1);
    EXPECT_EQ(readFile(product("Sec/=Number")), std::string("REG_DWORD\nABB\0", 14));
    EXPECT_EQ(reg.GetProfileDword("Sec", "Number", 0), 0x00424241u);
    EXPECT_EQ(reg.GetProfileStringA("Sec", "Number", ""), "ABB");
    ASSERT_EQ(reg.WriteProfileDword("Sec", "Full", 0x64636261), 1);
    EXPECT_EQ(reg.GetProfileStringA("Sec", "Full", ""), "abcd");

    ASSERT_EQ(reg.WriteProfileStringA("Other", "Keep", "1"), 1);
    EXPECT_EQ(reg.WriteProfileStringA("Sec", "Text", nullptr), 1);
    EXPECT_EQ(reg.GetProfileStringA("Sec", "Text", "gone"), "gone");
    EXPECT_EQ(reg.GetProfileDword("Sec", "Number", 0), 0x00424241u);
    EXPECT_EQ(reg.WriteProfileStringA("Sec", "Text", nullptr), 0);  // nothing left to delete
    EXPECT_EQ(reg.WriteProfileDword("Sec", nullptr, 0), 1);
    EXPECT_FALSE(exists(product("Sec")));
    EXPECT_EQ(reg.GetProfileStringA("Other", "Keep", ""), "1");
}

TEST_F(CRegManagerTest, OtherRootsAndAMissingSoftwareKey) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyEx(HKEY_LOCAL_MACHINE, "Software\\Brellix\\Qubix", KEY_ALL_ACCESS, &key),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueEx(key, "QubixUserPath", REG_SZ, "/opt/qubix", 11), ERROR_SUCCESS);
    RegCloseKey(key);
    CRegManager machine;
    machine.SetTopKey(HKEY_LOCAL_MACHINE);
    machine.SetProductName("Qubix");
    machine.SetReadOnly();
    EXPECT_EQ(machine.GetProfileStringA("", "QubixUserPath", ""), "/opt/qubix");

    CRegManager other;
    other.SetSoftwareKey("NoSuchSoftware");
    EXPECT_EQ(other.GetProductKey(), nullptr);
    EXPECT_EQ(other.GetProfileStringA("Sec", "E", "d"), "d");
    EXPECT_EQ(other.GetProfileDword("Sec", "E", 5), 5u);
    EXPECT_EQ(other.WriteProfileStringA("Sec", "E", "v"), 0);
    EXPECT_EQ(other.WriteProfileDword("Sec", "E", 1), 0);
    EXPECT_EQ(other.WriteProfileStringA("Sec", nullptr, nullptr), 0);
    EXPECT_FALSE(exists(path("registry/HKEY_CURRENT_USER/NoSuchSoftware")));
}

TEST_F(CRegManagerTest, ANewStoreIsANewUserProfile) {
    setVar("QRTZ_REGISTRY", path("fresh"));
    CRegManager reg;
    EXPECT_EQ(reg.WriteProfileStringA("Sec", "First", "saved"), 1);
    EXPECT_EQ(reg.GetProfileStringA("Sec", "First", ""), "saved");
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software", KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);

    // A software key removed from an existing store stays removed: writes fall back to 0.
    for (const char* sub : {"Software\\Brellix\\Qrtz3.0\\Sec", "Software\\Brellix\\Qrtz3.0",
                            "Software\\Brellix", "Software"})
        ASSERT_EQ(RegDeleteKey(HKEY_CURRENT_USER, sub), ERROR_SUCCESS) << sub;
    EXPECT_EQ(reg.WriteProfileStringA("Sec", "First", "again"), 0);
    EXPECT_EQ(reg.GetProfileStringA("Sec", "First", "gone"), "gone");
    EXPECT_FALSE(exists(path("fresh/HKEY_CURRENT_USER/Software")));
}

} // namespace
} // namespace qrtz
