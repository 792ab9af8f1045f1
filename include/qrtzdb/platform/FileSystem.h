#pragma once
// File-system services of the settings code: atomic replacement, copies, folders and links.
// Results are 0 for success or an errno value, so GetSystemErrorText can describe them.
#include <cerrno>

#include "qrtzdb/platform/CString.h"

namespace qrtz {

// The error a copy reports when the target exists and the caller asked not to overwrite it.
inline constexpr int kErrorFileExists = EEXIST;

// path with its symbolic links followed, as far as they lead (at most 40 hops).
CString ResolveLinks(const CString& path);

// Replaces path with content: written to a temporary file in the same folder, flushed to disk
// and renamed over the old file, so readers see the old or the new file, never a half-written
// one. A symbolic link is followed and its target replaced; an existing file keeps its mode.
int WriteFileAtomically(const CString& path, const CString& content);

// Reads a whole file into content. Files larger than maxBytes are refused (EFBIG).
int ReadWholeFile(const CString& path, CString& content, long long maxBytes = 64LL << 20);

// Copies a regular file. With failIfExists an existing target is left alone and
// kErrorFileExists returned; otherwise the target is replaced atomically.
int CopyFile(const CString& from, const CString& to, bool failIfExists);

// Creates the folder and any missing parents; 0 when it exists as a folder afterwards.
int CreateDirectories(const CString& path);

// Makes link a symbolic link to target, replacing an earlier link (never a file or folder).
int CreateSymbolicLink(const CString& target, const CString& link);

// Whether path names an existing file system object, and whether that is a folder.
bool PathExists(const CString& path, bool* isDirectory = nullptr);

} // namespace qrtz
