#include "qrtzdb/environment/CRegManager.h"

#include <cstring>
#include <vector>

namespace qrtz {

namespace {

// Opens (read-only) or creates-or-opens (read-write) name below parent.
HKEY openBelow(HKEY parent, const char* name, bool create, REGSAM rights) {
    HKEY key = nullptr;
    LSTATUS result = create ? RegCreateKeyEx(parent, name, rights, &key)
                            : RegOpenKeyEx(parent, name, rights, &key);
    return result == ERROR_SUCCESS ? key : nullptr;
}

} // namespace

CString CRegManager::GetWinAppRegistryKey() const { return m_companyName + "\\" + m_productName; }

HKEY CRegManager::GetProductKey() const {
    bool create = m_readWrite > 0;
    // The software key is never created: without it the user has no settings at all.
    HKEY software = openBelow(m_topKey, m_softwareKey.c_str(), false, rights());
    if (!software) return nullptr;
    HKEY company = openBelow(software, m_companyName.c_str(), create, rights());
    HKEY product = company ? openBelow(company, m_productName.c_str(), create, rights()) : nullptr;
    if (company) RegCloseKey(company);
    RegCloseKey(software);
    return product;
}

HKEY CRegManager::GetSectionKey(const char* section) const {
    HKEY product = GetProductKey();
    if (!product) return nullptr;
    HKEY key = openBelow(product, section ? section : "", m_readWrite > 0, rights());
    RegCloseKey(product);
    return key;
}

CString CRegManager::GetProfileStringA(const char* section, const char* entry,
                                       const char* defaultText) const {
    CString fallback = defaultText ? defaultText : "";
    HKEY key = GetSectionKey(section);
    if (!key) return fallback;
    DWORD type = 0, size = 0;
    LSTATUS result = RegQueryValueEx(key, entry, &type, nullptr, &size);
    std::vector<char> data(size);
    if (result == ERROR_SUCCESS && size > 0)
        result = RegQueryValueEx(key, entry, &type, data.data(), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) return fallback;
    std::size_t length = 0;
    while (length < size && data[length] != '\0') ++length;
    return CString(data.data(), length);
}

int CRegManager::deleteSection(const char* section) const {
    HKEY product = GetProductKey();
    if (!product) return 0;
    LSTATUS result = RegDeleteKey(product, section);
    RegCloseKey(product);
    return result == ERROR_SUCCESS ? 1 : 0;
}

int CRegManager::WriteProfileStringA(const char* section, const char* entry,
                                     const char* value) const {
    if (!entry) return deleteSection(section);
    HKEY key = GetSectionKey(section);
    if (!key) return 0;
    LSTATUS result = value ? RegSetValueEx(key, entry, REG_SZ, value,
                                           static_cast<DWORD>(std::strlen(value) + 1))
                           : RegDeleteValue(key, entry);
    RegCloseKey(key);
    return result == ERROR_SUCCESS ? 1 : 0;
}

unsigned long CRegManager::GetProfileDword(const char* section, const char* entry,
                                           unsigned long defaultValue) const {
    HKEY key = GetSectionKey(section);
    if (!key) return defaultValue;
    DWORD value = 0, size = sizeof value;
    LSTATUS result = RegQueryValueEx(key, entry, nullptr, &value, &size);
    RegCloseKey(key);
    // A shorter value fills only the low bytes, as a query into a zeroed buffer would.
    return result == ERROR_SUCCESS ? value : defaultValue;
}

int CRegManager::WriteProfileDword(const char* section, const char* entry,
                                   unsigned long value) const {
    if (!entry) return deleteSection(section);
    HKEY key = GetSectionKey(section);
    if (!key) return 0;
    auto number = static_cast<DWORD>(value);
    LSTATUS result = RegSetValueEx(key, entry, REG_DWORD, &number, sizeof number);
    RegCloseKey(key);
    return result == ERROR_SUCCESS ? 1 : 0;
}

} // namespace qrtz
