#pragma once
// Reading and writing single entries of INI files ("private profiles") with the rules of the
// Windows profile functions: "[section]" headers and "key=value" lines; section and key names
// match without regard to ASCII case and surrounding blanks; the first matching section and
// key win; values lose surrounding blanks and one pair of enclosing quotes. Lines starting with
// ';' are comments. Every change rewrites the whole file atomically and leaves every other line
// as it was (CRLF files keep their line ends); it holds the file's SettingsLock from its read
// to its rename, so concurrent writers of other entries lose nothing.
#include <cstdint>

#include "qrtzdb/platform/CString.h"

namespace qrtz {

// Copies the entry's value, or defaultText when the file, the section or the key is missing,
// into buffer (at most size - 1 bytes and a terminating zero). Returns the bytes copied,
// without the terminator.
std::uint32_t GetPrivateProfileString(const char* section, const char* key,
                                      const char* defaultText, char* buffer,
                                      std::uint32_t size, const char* fileName);

// The same, as a string without a length limit.
CString GetPrivateProfileString(const char* section, const char* key, const char* defaultText,
                                const char* fileName);

// Sets key=value in section, creating the file, the section or the key as needed. A null value
// removes the key; a null key removes the whole section. Returns nonzero on success; zero when
// the file's settings lock is not had in time, the file cannot be written, or a name or value holds a line break (or a key holds '=' or a
// section ']'), which the file could not keep.
int WritePrivateProfileString(const char* section, const char* key, const char* value,
                              const char* fileName);

} // namespace qrtz
