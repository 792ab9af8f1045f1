#pragma once
// A hierarchical key-value store with the operations of the Windows registry, kept in the file
// system: one folder per key, one file per value. The root is $QRTZ_REGISTRY when set, else
// $XDG_CONFIG_HOME/qrtz/registry, else ~/.config/qrtz/registry, with one folder per root key
// (HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE).
//
// Within a key folder, subkeys are folders named after the key and values are files named "="
// followed by the value name ("=" alone is the unnamed default value). A value file holds its
// type name on the first line ("REG_SZ", "REG_DWORD", ...) and then the data bytes unchanged.
// Bytes that a file name cannot hold ('/', '%', control bytes, a leading '.' or '=') are written
// as %XX. Key and value names match without regard to ASCII case, as on Windows. Every value is
// written to a temporary file and renamed into place, under the value file's SettingsLock (a
// hidden ".=name.lock" beside it). A root key seen for the first time is a new user profile:
// it comes with its "Software" key.
//
// Results are ERROR_SUCCESS (0) or an errno value: ENOENT for a missing key or value, EACCES
// for a change through a handle opened without the right to make it, ERROR_MORE_DATA when the
// caller's buffer is too small.
#include <cerrno>
#include <cstdint>

#include "qrtzdb/platform/CString.h"

namespace qrtz {

// The Windows names of the value, access-mask and status types.
using DWORD = std::uint32_t;
using REGSAM = DWORD;
using LSTATUS = long;

// An open key of the store; opaque.
struct RegKey;
// A handle to an open key; null for none.
using HKEY = RegKey*;

// The predefined root keys; always open, closing them does nothing.
extern const HKEY HKEY_CURRENT_USER;
extern const HKEY HKEY_LOCAL_MACHINE;

// Status codes: success, and a buffer too small for the value.
inline constexpr LSTATUS ERROR_SUCCESS = 0;
inline constexpr LSTATUS ERROR_MORE_DATA = ERANGE;

// Access rights, with the values Windows gives them.
inline constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
inline constexpr REGSAM KEY_SET_VALUE = 0x0002;
inline constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
inline constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
inline constexpr REGSAM KEY_NOTIFY = 0x0010;
inline constexpr REGSAM KEY_READ = 0x20019;
inline constexpr REGSAM KEY_WRITE = 0x20006;
inline constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

// Value types.
inline constexpr DWORD REG_NONE = 0;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_EXPAND_SZ = 2;
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;
inline constexpr DWORD REG_MULTI_SZ = 7;
inline constexpr DWORD REG_QWORD = 11;

// What RegCreateKeyEx did.
inline constexpr DWORD REG_CREATED_NEW_KEY = 1;
inline constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// The folder that holds the root keys, as the environment names it now.
CString GetRegistryRoot();

// Opens an existing key below parent ("A\\B" walks two levels; an empty subKey opens parent
// again). Never creates anything. The caller closes *result.
LSTATUS RegOpenKeyEx(HKEY parent, const char* subKey, REGSAM access, HKEY* result);

// Opens the key, creating it and any missing keys on the way; creating needs
// KEY_CREATE_SUB_KEY on parent. disposition, when given, tells which happened.
LSTATUS RegCreateKeyEx(HKEY parent, const char* subKey, REGSAM access, HKEY* result,
                       DWORD* disposition = nullptr);

// Reads a value (name null or empty: the unnamed default value). With data null only *size
// and *type are filled. With a buffer of *size bytes that is too small, *size becomes the
// size needed and ERROR_MORE_DATA is returned. Needs KEY_QUERY_VALUE.
LSTATUS RegQueryValueEx(HKEY key, const char* name, DWORD* type, void* data, DWORD* size);

// Stores size bytes of data as the value's content. Needs KEY_SET_VALUE.
LSTATUS RegSetValueEx(HKEY key, const char* name, DWORD type, const void* data, DWORD size);

// Removes one value. Needs KEY_SET_VALUE.
LSTATUS RegDeleteValue(HKEY key, const char* name);

// Removes a key and its values; a key that still has subkeys is refused (EACCES), as on
// Windows. Needs a write right on parent.
LSTATUS RegDeleteKey(HKEY parent, const char* subKey);

// Closes key; the root keys stay open.
LSTATUS RegCloseKey(HKEY key);

} // namespace qrtz
