// KelDbMolCrystal::ReadMcrdb, written back with WriteMcrdb.
#include "FuzzSupport.h"
#include "qrtzdb/formats/KelDbMolCrystal.h"

using namespace qrtz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::RoundTrip<KelDbMolCrystal>(
        data, size, [](KelDbMolCrystal& c, FileStream& in) { c.ReadMcrdb(in); },
        [](const KelDbMolCrystal& c, FileStream& out) { c.WriteMcrdb(out); });
    return 0;
}
