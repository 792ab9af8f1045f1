#include "qrtzdb/environment/CLocale.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "qrtzdb/platform/Registry.h"
#include "qrtzdb/platform/System.h"

namespace qrtz {

namespace {

struct District {
    int code;
    const char* name;
};
constexpr District kDistricts[] = {
    {0x0407, "Standard"}, {0x040C, "Standard"}, {0x0410, "Standard"}, {0x0413, "Standard"},
    {0x0816, "Standard"}, {0x0409, "U.S."},     {0x0809, "U.K."},     {0x0C09, "Australia"},
    {0x1009, "Canada"},   {0x1409, "New Zealand"}, {0x1809, "Ireland"},
    {0x1C09, "South Africa"},
};

constexpr int kJapanese = 0x0411;

// Windows language identifiers by POSIX language and territory; an empty territory is the
// language's default region.
struct PosixLanguage {
    const char* language;
    const char* territory;
    int id;
};
constexpr PosixLanguage kPosixLanguages[] = {
    {"de", "", 0x0407}, {"de", "AT", 0x0C07}, {"de", "CH", 0x0807}, {"de", "LU", 0x1007},
    {"de", "LI", 0x1407},
    {"fr", "", 0x040C}, {"fr", "BE", 0x080C}, {"fr", "CA", 0x0C0C}, {"fr", "CH", 0x100C},
    {"fr", "LU", 0x140C},
    {"it", "", 0x0410}, {"it", "CH", 0x0810},
    {"nl", "", 0x0413}, {"nl", "BE", 0x0813},
    {"pt", "", 0x0816}, {"pt", "BR", 0x0416},
    {"en", "", 0x0409}, {"en", "GB", 0x0809}, {"en", "AU", 0x0C09}, {"en", "CA", 0x1009},
    {"en", "NZ", 0x1409}, {"en", "IE", 0x1809}, {"en", "ZA", 0x1C09},
    {"ja", "", 0x0411},
    {"zh", "", 0x0804}, {"zh", "TW", 0x0404}, {"zh", "HK", 0x0C04}, {"zh", "SG", 0x1004},
    {"zh", "MO", 0x1404},
    {"ko", "", 0x0412},
    {"es", "", 0x0C0A}, {"es", "MX", 0x080A},
    {"ar", "", 0x0401}, {"ca", "", 0x0403}, {"cs", "", 0x0405}, {"da", "", 0x0406},
    {"el", "", 0x0408}, {"fi", "", 0x040B}, {"he", "", 0x040D}, {"hu", "", 0x040E},
    {"nb", "", 0x0414}, {"no", "", 0x0414}, {"pl", "", 0x0415}, {"ru", "", 0x0419},
    {"sv", "", 0x041D}, {"th", "", 0x041E}, {"tr", "", 0x041F}, {"id", "", 0x0421},
    {"uk", "", 0x0422}, {"vi", "", 0x042A}, {"hi", "", 0x0439},
};

const char* posixLocale() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"})
        if (const char* value = std::getenv(name); value && *value) return value;
    return nullptr;
}

} // namespace

CString CLocale::LanguageIdFromPosixLocale(const char* locale) {
    if (!locale) return {};
    CString language, territory;
    const char* p = locale;
    for (; *p && *p != '_' && *p != '.' && *p != '@'; ++p)
        language += static_cast<char>(*p >= 'A' && *p <= 'Z' ? *p + 32 : *p);
    if (*p == '_')
        for (++p; *p && *p != '.' && *p != '@'; ++p)
            territory += static_cast<char>(*p >= 'a' && *p <= 'z' ? *p - 32 : *p);
    int id = 0;
    for (const PosixLanguage& l : kPosixLanguages) {
        if (language != l.language) continue;
        if (territory == l.territory) {
            id = l.id;
            break;
        }
        if (!*l.territory && id == 0) id = l.id;
    }
    if (id == 0) return {};
    char text[16];
    std::snprintf(text, sizeof text, "%04X", static_cast<unsigned>(id));
    return text;
}

CLocale::CLocale() {
    PlatformVersion version;
    if (!GetPlatformVersion(version)) return;
    bool nt = version.platformId == kPlatformNT;
    CString keyName = CString("System\\CurrentControlSet\\Control\\Nls") + "\\" +
                      (nt ? "Language" : "Locale");
    HKEY key = nullptr;
    LSTATUS result = RegOpenKeyEx(HKEY_LOCAL_MACHINE, keyName.c_str(), KEY_QUERY_VALUE, &key);
    if (result == ERROR_SUCCESS) {
        DWORD size = 32;
        result = RegQueryValueEx(key, nt ? "Default" : nullptr, nullptr, m_regValue, &size);
        RegCloseKey(key);
    }
    if (result == ERROR_SUCCESS) {
        m_regValue[32] = '\0';
        Detect(m_regValue);
        return;
    }
    std::memset(m_regValue, 0, sizeof m_regValue);
    // Only a store without the value falls back to the locale; a damaged value is a failure.
    if (result != ENOENT) return;
    CString id = LanguageIdFromPosixLocale(posixLocale());
    if (id.empty()) return;
    std::memcpy(m_regValue, id.c_str(), id.size());
    Detect(m_regValue);
}

void CLocale::Detect(const char* value) {
    std::size_t length = strnlen(value, 32);
    if (length < 4) return;
    m_longValue.assign(value + length - 4, 4);
    m_shortValue = m_longValue.substr(2);
    m_longCode = static_cast<int>(std::strtoul(m_longValue.c_str(), nullptr, 16));
    m_shortCode = static_cast<int>(std::strtoul(m_shortValue.c_str(), nullptr, 16));
    for (const District& d : kDistricts)
        if (d.code == m_longCode) m_district = d.name;
    m_appName = m_longCode == kJapanese ? "KELVORN" : "Quorvane";
    m_status = 1;
}

} // namespace qrtz
