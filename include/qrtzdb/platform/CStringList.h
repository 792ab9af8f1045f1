#pragma once
#include "qrtzdb/platform/CList.h"
#include "qrtzdb/platform/CString.h"

namespace qrtz {

using CStringList = CList<CString>;

} // namespace qrtz
