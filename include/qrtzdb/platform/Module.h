#pragma once
// Where the running program and its installed data live.
#include "qrtzdb/platform/CString.h"

namespace qrtz {

// Path separator of this platform.
inline constexpr char kPathSeparator = '/';

// Full path of the running executable; empty when the system cannot tell.
CString GetModuleFileName();

// The folder of the installed system files: $QRTZ_SYSTEM_DIR when set; else <prefix>/share/qrtz
// when the executable lives in <prefix>/bin and that folder exists; else the executable's folder.
// Never ends with a separator.
CString GetSystemDirectory();

// True for a drive path ("X:\...") or a path that begins with the separator.
bool IsAbsolutePath(const CString& path);

// Joins a folder and a name with exactly one separator between them.
CString JoinPath(const CString& folder, const CString& name);

} // namespace qrtz
