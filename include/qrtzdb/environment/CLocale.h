#pragma once
// The system's default language, read once at construction from the settings store (value
// "Default" of HKEY_LOCAL_MACHINE\System\CurrentControlSet\Control\Nls\Language, a Windows
// language identifier in hexadecimal such as "0411"). When the store holds no such value the
// POSIX locale (LC_ALL, then LC_MESSAGES, then LANG) stands in for it, translated to the
// identifier Windows gives that language and region and offered in the same form.
#include "qrtzdb/platform/CString.h"

namespace qrtz {

// The system's default language (see above).
class CLocale {
public:
    CLocale();
    CLocale(const CLocale&) = default;
    CLocale& operator=(const CLocale&) = default;
    virtual ~CLocale() = default;

    // 1 when a language was found, else 0 (and every text below is empty, the codes 0).
    int GetStatus() const { return m_status; }
    const char* GetRegValue() const { return m_regValue; }
    // The last four and the last two hexadecimal digits, e.g. "0411" and "11".
    const char* GetLongValue() const { return m_longValue.c_str(); }
    const char* GetShortValue() const { return m_shortValue.c_str(); }
    // "KELVORN" for Japanese, "Quorvane" otherwise.
    const char* GetAppName() const { return m_appName.c_str(); }
    // The language identifier (1041 for Japanese) and its primary language (17).
    int GetLongCode() const { return m_longCode; }
    int GetShortCode() const { return m_shortCode; }
    int GetLanguage() const { return m_shortCode; }
    // The regional variant name ("U.S.", "Standard", ...), empty for most languages.
    CString GetDistrict() const { return m_district; }

    // The identifier text ("0411") for a POSIX locale name such as "ja_JP.UTF-8"; empty for
    // "C", "POSIX" and languages this library does not know.
    static CString LanguageIdFromPosixLocale(const char* locale);

private:
    void Detect(const char* value);

    int m_status = 0;
    char m_regValue[32 + 1] = {};  // 32 bytes of value and a terminator that is always there
    CString m_longValue;
    CString m_shortValue;
    int m_longCode = 0;
    int m_shortCode = 0;
    CString m_district;
    CString m_appName;
};

} // namespace qrtz
