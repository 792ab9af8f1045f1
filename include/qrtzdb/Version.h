#pragma once

namespace qrtz {

// The version of the library the program runs against, "major.minor.patch".
const char* LibraryVersion();

} // namespace qrtz
