#include "qrtzdb/Version.h"

namespace qrtz {

const char* LibraryVersion() { return QRTZ_VERSION; }

} // namespace qrtz
