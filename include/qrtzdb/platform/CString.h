#pragma once
// Text strings are byte strings: lengths and bounds count bytes, comparisons are byte for byte.
#include <string>

namespace qrtz {

using CString = std::string;

} // namespace qrtz
