#include "qrtzdb/platform/Registry.h"

#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "qrtzdb/platform/FileSystem.h"
#include "qrtzdb/platform/Module.h"
#include "qrtzdb/platform/SettingsLock.h"

namespace qrtz {

struct RegKey {
    const char* rootName;  // predefined roots only; their folder follows the environment
    CString folder;        // opened keys
    REGSAM access;
};

namespace {

RegKey currentUser{"HKEY_CURRENT_USER", {}, KEY_ALL_ACCESS};
RegKey localMachine{"HKEY_LOCAL_MACHINE", {}, KEY_ALL_ACCESS};

// A value file larger than this is damaged, not a setting.
constexpr long long kMaxValueFile = 16LL << 20;

constexpr REGSAM kAnyWrite = KEY_SET_VALUE | KEY_CREATE_SUB_KEY;

struct TypeName {
    DWORD type;
    const char* name;
};
constexpr TypeName kTypeNames[] = {
    {REG_NONE, "REG_NONE"},   {REG_SZ, "REG_SZ"},
    {REG_EXPAND_SZ, "REG_EXPAND_SZ"}, {REG_BINARY, "REG_BINARY"},
    {REG_DWORD, "REG_DWORD"}, {5, "REG_DWORD_BIG_ENDIAN"},
    {6, "REG_LINK"},          {REG_MULTI_SZ, "REG_MULTI_SZ"},
    {REG_QWORD, "REG_QWORD"},
};

CString typeText(DWORD type) {
    for (const TypeName& t : kTypeNames)
        if (t.type == type) return t.name;
    return std::to_string(type);
}

bool parseType(const CString& text, DWORD& type) {
    for (const TypeName& t : kTypeNames)
        if (text == t.name) {
            type = t.type;
            return true;
        }
    if (text.empty() || text.size() > 10) return false;
    unsigned long long n = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        n = n * 10 + static_cast<unsigned>(c - '0');
    }
    if (n > 0xFFFFFFFFull) return false;
    type = static_cast<DWORD>(n);
    return true;
}

// The file name of a key (prefix empty) or a value (prefix "=").
CString escapeName(const char* name, bool isValue) {
    static const char hex[] = "0123456789ABCDEF";
    CString out = isValue ? "=" : "";
    if (!name) return out;
    for (std::size_t i = 0; name[i]; ++i) {
        auto c = static_cast<unsigned char>(name[i]);
        bool escape = c == '%' || c == '/' || c < 0x20 || c == 0x7F ||
                      (i == 0 && !isValue && (c == '.' || c == '='));
        if (escape) {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

bool equalNoCase(const CString& a, const char* b) {
    std::size_t i = 0;
    for (; i < a.size() && b[i]; ++i) {
        auto x = static_cast<unsigned char>(a[i]);
        auto y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
        if (x != y) return false;
    }
    return i == a.size() && !b[i];
}

bool hasType(const CString& path, bool wantDirectory) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;
    return wantDirectory ? S_ISDIR(st.st_mode) : S_ISREG(st.st_mode);
}

// The path of the entry of folder whose name equals fileName, ignoring ASCII case; empty when
// there is none. The exact spelling is tried first, so the scan runs only on a miss.
CString findEntry(const CString& folder, const CString& fileName, bool wantDirectory) {
    CString exact = JoinPath(folder, fileName);
    if (hasType(exact, wantDirectory)) return exact;
    DIR* d = ::opendir(folder.c_str());
    if (!d) return {};
    CString found;
    while (dirent* e = ::readdir(d)) {
        if (e->d_name[0] == '.') continue;  // ".", ".." and temporary files
        if (!equalNoCase(fileName, e->d_name)) continue;
        CString candidate = JoinPath(folder, e->d_name);
        if (hasType(candidate, wantDirectory)) {
            found = candidate;
            break;
        }
    }
    ::closedir(d);
    return found;
}

std::vector<CString> splitKeyPath(const char* subKey) {
    std::vector<CString> parts;
    if (!subKey) return parts;
    CString part;
    for (const char* p = subKey;; ++p) {
        if (*p == '\\' || *p == '\0') {
            if (!part.empty()) parts.push_back(part);
            part.clear();
            if (*p == '\0') break;
        } else {
            part += *p;
        }
    }
    return parts;
}

// A root key seen for the first time is a new profile, which always has its "Software" key.
// The root appears with that key already inside (built aside and renamed into place), so
// another process never sees a root without it; once the root exists, a missing "Software"
// was removed on purpose and stays missing.
void createProfile(const CString& root) {
    if (hasType(root, true)) return;
    const CString parent = root.substr(0, root.find_last_of(kPathSeparator));
    if (CreateDirectories(parent) != 0) return;
    CString aside = JoinPath(parent, ".new-root-XXXXXX");
    if (!::mkdtemp(aside.data())) return;
    const CString software = JoinPath(aside, "Software");
    if (::mkdir(software.c_str(), 0777) == 0 && ::rename(aside.c_str(), root.c_str()) == 0)
        return;
    ::rmdir(software.c_str());  // someone else made the root first
    ::rmdir(aside.c_str());
}

CString folderOf(HKEY key) {
    if (!key->rootName) return key->folder;
    CString root = JoinPath(GetRegistryRoot(), key->rootName);
    createProfile(root);
    return root;
}

CString homeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return {};
}

// Walks subKey below parent without creating anything; empty when a key is missing.
LSTATUS walk(HKEY parent, const char* subKey, CString& folder) {
    folder = folderOf(parent);
    for (const CString& part : splitKeyPath(subKey)) {
        CString next = findEntry(folder, escapeName(part.c_str(), false), true);
        if (next.empty()) return ENOENT;
        folder = next;
    }
    return ERROR_SUCCESS;
}

} // namespace

const HKEY HKEY_CURRENT_USER = &currentUser;
const HKEY HKEY_LOCAL_MACHINE = &localMachine;

CString GetRegistryRoot() {
    if (const char* root = std::getenv("QRTZ_REGISTRY"); root && *root) return root;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && config[0] == '/')
        return JoinPath(config, "qrtz/registry");
    CString home = homeFolder();
    if (home.empty()) return ".qrtz-registry";
    return JoinPath(home, ".config/qrtz/registry");
}

LSTATUS RegOpenKeyEx(HKEY parent, const char* subKey, REGSAM access, HKEY* result) {
    if (!result) return EINVAL;
    *result = nullptr;
    if (!parent) return EBADF;
    CString folder;
    if (LSTATUS error = walk(parent, subKey, folder)) return error;
    *result = new RegKey{nullptr, folder, access};
    return ERROR_SUCCESS;
}

LSTATUS RegCreateKeyEx(HKEY parent, const char* subKey, REGSAM access, HKEY* result,
                       DWORD* disposition) {
    if (!result) return EINVAL;
    *result = nullptr;
    if (!parent) return EBADF;
    CString folder = folderOf(parent);
    bool created = false;
    for (const CString& part : splitKeyPath(subKey)) {
        CString name = escapeName(part.c_str(), false);
        CString next = created ? CString() : findEntry(folder, name, true);
        if (next.empty()) {
            if (!(parent->access & KEY_CREATE_SUB_KEY)) return EACCES;
            next = JoinPath(folder, name);
            if (int error = CreateDirectories(next)) return error;
            created = true;
        }
        folder = next;
    }
    if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    *result = new RegKey{nullptr, folder, access};
    return ERROR_SUCCESS;
}

LSTATUS RegQueryValueEx(HKEY key, const char* name, DWORD* type, void* data, DWORD* size) {
    if (!key) return EBADF;
    if (!(key->access & KEY_QUERY_VALUE)) return EACCES;
    if (data && !size) return EINVAL;
    CString path = findEntry(folderOf(key), escapeName(name, true), false);
    if (path.empty()) return ENOENT;
    CString content;
    if (int error = ReadWholeFile(path, content, kMaxValueFile)) return error;
    auto eol = content.find('\n');
    DWORD storedType = 0;
    if (eol == CString::npos || !parseType(content.substr(0, eol), storedType)) return EINVAL;
    std::size_t length = content.size() - eol - 1;
    if (type) *type = storedType;
    if (data) {
        if (*size < length) {
            *size = static_cast<DWORD>(length);
            return ERROR_MORE_DATA;
        }
        std::memcpy(data, content.data() + eol + 1, length);
    }
    if (size) *size = static_cast<DWORD>(length);
    return ERROR_SUCCESS;
}

LSTATUS RegSetValueEx(HKEY key, const char* name, DWORD type, const void* data, DWORD size) {
    if (!key) return EBADF;
    if (!(key->access & KEY_SET_VALUE)) return EACCES;
    if (!data && size > 0) return EINVAL;
    CString folder = folderOf(key);
    if (key->rootName) {
        if (int error = CreateDirectories(folder)) return error;
    }
    if (!hasType(folder, true)) return ENOENT;
    CString fileName = escapeName(name, true);
    CString path = findEntry(folder, fileName, false);
    if (path.empty()) path = JoinPath(folder, fileName);
    CString content = typeText(type) + "\n";
    if (size > 0) content.append(static_cast<const char*>(data), size);
    SettingsLock lock(path);
    if (!lock.IsHeld()) return lock.Error();
    return WriteFileAtomically(path, content);
}

LSTATUS RegDeleteValue(HKEY key, const char* name) {
    if (!key) return EBADF;
    if (!(key->access & KEY_SET_VALUE)) return EACCES;
    CString path = findEntry(folderOf(key), escapeName(name, true), false);
    if (path.empty()) return ENOENT;
    SettingsLock lock(path);
    if (!lock.IsHeld()) return lock.Error();
    return ::unlink(path.c_str()) == 0 ? ERROR_SUCCESS : errno;
}

LSTATUS RegDeleteKey(HKEY parent, const char* subKey) {
    if (!parent) return EBADF;
    if (!(parent->access & kAnyWrite)) return EACCES;
    if (splitKeyPath(subKey).empty()) return EINVAL;
    CString folder;
    if (LSTATUS error = walk(parent, subKey, folder)) return error;

    std::vector<CString> files;
    DIR* d = ::opendir(folder.c_str());
    if (!d) return errno;
    bool hasSubkeys = false;
    while (dirent* e = ::readdir(d)) {
        if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
        CString path = JoinPath(folder, e->d_name);
        struct stat st {};
        if (::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) hasSubkeys = true;
        else files.push_back(path);
    }
    ::closedir(d);
    if (hasSubkeys) return EACCES;
    for (const CString& f : files)
        if (::unlink(f.c_str()) != 0 && errno != ENOENT) return errno;
    return ::rmdir(folder.c_str()) == 0 ? ERROR_SUCCESS : errno;
}

LSTATUS RegCloseKey(HKEY key) {
    if (!key) return EBADF;
    if (!key->rootName) delete key;
    return ERROR_SUCCESS;
}

} // namespace qrtz
