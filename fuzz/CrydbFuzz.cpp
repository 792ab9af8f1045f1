// KelDbCrystal::ReadCrydb, written back with WriteCrydb.
#include "FuzzSupport.h"
#include "qrtzdb/formats/KelDbCrystal.h"

using namespace qrtz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::RoundTrip<KelDbCrystal>(
        data, size, [](KelDbCrystal& c, FileStream& in) { c.ReadCrydb(in); },
        [](const KelDbCrystal& c, FileStream& out) { c.WriteCrydb(out); });
    return 0;
}
