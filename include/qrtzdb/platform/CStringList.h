#pragma once
#include "qrtzdb/platform/CList.h"
#include "qrtzdb/platform/CString.h"

namespace qrtz {

// A list of strings, addressed by positions.
using CStringList = CList<CString>;

} // namespace qrtz
