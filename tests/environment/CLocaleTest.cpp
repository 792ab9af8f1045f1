#include <gtest/gtest.h>

#include <cstring>

#include "qrtzdb/environment/CLocale.h"
#include "qrtzdb/platform/Registry.h"
#include "support/TempSettings.h"

namespace qrtz {
namespace {

class CLocaleTest : public testing::TempSettings {
protected:
    void SetUp() override {
        TempSettings::SetUp();
        for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) unsetVar(name);
    }
    void store(const char* value) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyEx(HKEY_LOCAL_MACHINE,
                                 "System\\CurrentControlSet\\Control\\Nls\\Language",
                                 KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueEx(key, "Default", REG_SZ, value,
                                static_cast<DWORD>(std::strlen(value) + 1)), ERROR_SUCCESS);
        RegCloseKey(key);
    }
};

TEST_F(CLocaleTest, StoredLanguageValues) {
    setVar("LANG", "de_DE.UTF-8");  // a stored value wins over the locale
    for (const char* value : {"00000411", "0411"}) {
        store(value);
        CLocale locale;
        EXPECT_EQ(locale.GetStatus(), 1) << value;
        EXPECT_STREQ(locale.GetRegValue(), value);
        EXPECT_STREQ(locale.GetLongValue(), "0411");
        EXPECT_STREQ(locale.GetShortValue(), "11");
        EXPECT_EQ(locale.GetLongCode(), 1041);
        EXPECT_EQ(locale.GetShortCode(), 17);
        EXPECT_EQ(locale.GetLanguage(), 17);
        EXPECT_EQ(locale.GetDistrict(), "");
        EXPECT_STREQ(locale.GetAppName(), "KELVORN");
    }
    store("0409");
    CLocale us;
    EXPECT_EQ(us.GetLongCode(), 1033);
    EXPECT_EQ(us.GetShortCode(), 9);
    EXPECT_EQ(us.GetDistrict(), "U.S.");
    EXPECT_STREQ(us.GetAppName(), "Quorvane");
    store("0407");
    EXPECT_EQ(CLocale().GetDistrict(), "Standard");
    store("0C09");
    CLocale au;
    EXPECT_EQ(au.GetDistrict(), "Australia");
    CLocale copy;
    copy = au;
    EXPECT_EQ(copy.GetLongCode(), 3081);

    store("411");
    CLocale tooShort;
    EXPECT_EQ(tooShort.GetStatus(), 0);
    EXPECT_STREQ(tooShort.GetLongValue(), "");
    EXPECT_STREQ(tooShort.GetShortValue(), "");
    EXPECT_STREQ(tooShort.GetAppName(), "");
    EXPECT_EQ(tooShort.GetDistrict(), "");
}

TEST_F(CLocaleTest, PosixLocaleStandsInForAMissingValue) {
    CLocale none;
    EXPECT_EQ(none.GetStatus(), 0);
    EXPECT_STREQ(none.GetAppName(), "");
    EXPECT_STREQ(none.GetLongValue(), "");

    setVar("LANG", "ja_JP.UTF-8");
    CLocale japanese;
    EXPECT_EQ(japanese.GetStatus(), 1);
    EXPECT_STREQ(japanese.GetRegValue(), "0411");
    EXPECT_STREQ(japanese.GetAppName(), "KELVORN");

    setVar("LC_MESSAGES", "en_GB.UTF-8");
    EXPECT_EQ(CLocale().GetDistrict(), "U.K.");
    setVar("LC_ALL", "C");
    EXPECT_EQ(CLocale().GetStatus(), 0);

    struct Case { const char* locale; const char* id; };
    for (Case c : {Case{"de_DE.UTF-8", "0407"}, Case{"fr_FR", "040C"}, Case{"it_IT", "0410"},
                   Case{"nl_NL", "0413"}, Case{"pt_PT", "0816"}, Case{"en_US.UTF-8", "0409"},
                   Case{"en_AU", "0C09"}, Case{"en_CA", "1009"}, Case{"en_NZ", "1409"},
                   Case{"en_IE", "1809"}, Case{"en_ZA", "1C09"}, Case{"zh_CN.GB18030", "0804"},
                   Case{"zh_TW", "0404"}, Case{"ko_KR.EUC-KR", "0412"}, Case{"ja", "0411"},
                   Case{"de_XX@euro", "0407"}, Case{"POSIX", ""}, Case{"xx_YY", ""}})
        EXPECT_EQ(CLocale::LanguageIdFromPosixLocale(c.locale), c.id) << c.locale;
}

} // namespace
} // namespace qrtz
