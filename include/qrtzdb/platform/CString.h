#pragma once
// Text strings are byte strings: lengths and bounds count bytes, comparisons are byte for byte.
#include <string>

namespace qrtz {

// The library's string: bytes, as std::string holds them.
using CString = std::string;

} // namespace qrtz
