#pragma once
// Per-user settings kept in the registry in the manner of an application profile:
// top key \ software key \ company \ product \ section, with each entry a value of its section.
#include "qrtzdb/platform/CString.h"
#include "qrtzdb/platform/Registry.h"

namespace qrtz {

// Reads and writes one application's settings in the settings store (see above).
class CRegManager {
public:
    CRegManager() = default;
    CRegManager(const CRegManager&) = default;
    CRegManager& operator=(const CRegManager&) = default;
    virtual ~CRegManager() = default;

    // The path parts: top key, software key, company and product.
    void SetTopKey(HKEY key) { m_topKey = key; }
    HKEY GetTopKey() const { return m_topKey; }
    void SetSoftwareKey(const char* name) { m_softwareKey = name ? name : ""; }
    CString GetSoftwareKey() const { return m_softwareKey; }
    void SetCompanyName(const char* name) { m_companyName = name ? name : ""; }
    CString GetCompanyName() const { return m_companyName; }
    void SetProductName(const char* name) { m_productName = name ? name : ""; }
    CString GetProductName() const { return m_productName; }
    // Whether the Get...Key calls may create missing keys.
    void SetReadWrite() { m_readWrite = 1; }
    void SetReadOnly() { m_readWrite = 0; }

    // "company\product".
    CString GetWinAppRegistryKey() const;

    // Open handles the caller closes with RegCloseKey, or null. In read-write mode the company,
    // product and section keys are created when missing; in read-only mode nothing is created.
    HKEY GetProductKey() const;
    HKEY GetSectionKey(const char* section) const;

    // The entry's data as text (up to its first zero byte, whatever its type), or defaultText.
    CString GetProfileStringA(const char* section, const char* entry,
                              const char* defaultText) const;
    // Stores value as a string with its terminator. A null value deletes the entry, a null
    // entry the whole section. 1 on success, 0 on failure.
    int WriteProfileStringA(const char* section, const char* entry, const char* value) const;

    // The entry's first 4 bytes as a number, whatever its type, or defaultValue.
    unsigned long GetProfileDword(const char* section, const char* entry,
                                  unsigned long defaultValue) const;
    // Stores value as a 32-bit number; a null entry deletes the section. 1 on success, else 0.
    int WriteProfileDword(const char* section, const char* entry, unsigned long value) const;

private:
    REGSAM rights() const { return m_readWrite > 0 ? (KEY_READ | KEY_WRITE) : KEY_READ; }
    int deleteSection(const char* section) const;

    HKEY m_topKey = HKEY_CURRENT_USER;
    CString m_softwareKey = "Software";
    CString m_companyName = "Brellix";
    CString m_productName = "Qrtz3.0";
    int m_readWrite = 1;
};

} // namespace qrtz
