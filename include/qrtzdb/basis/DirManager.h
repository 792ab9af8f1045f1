#pragma once
// Directory creation and shortcuts. A shortcut is a symbolic link here.

namespace qrtz {

// Folders and links (see above); every member is static.
class DirManager {
public:
    // Creates path and every missing parent. Non-zero on success, also when the directory was
    // there already; 0 when a part of the path is a file or cannot be created.
    static int WriteDir(const char* path);

    // Makes link a symbolic link to target; an existing symbolic link named link is replaced,
    // anything else there is left alone and the call fails. The description has no place in a
    // symbolic link and is ignored. Non-zero on success.
    static int CreateLinkFile(const char* link, const char* description, const char* target);
};

} // namespace qrtz
