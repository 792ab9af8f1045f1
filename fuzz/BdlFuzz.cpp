// KelDbMolCrystal::ReadBdl, written back with WriteBdl in the mode the first byte picks.
#include "FuzzSupport.h"
#include "qrtzdb/formats/KelDbMolCrystal.h"

using namespace qrtz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const int mode = static_cast<int>(data[0] % 4) - 2;  // -2 .. 1
    fuzz::RoundTrip<KelDbMolCrystal>(
        data + 1, size - 1, [](KelDbMolCrystal& c, FileStream& in) { c.ReadBdl(in); },
        [mode](KelDbMolCrystal& c, FileStream& out) { c.WriteBdl(out, mode); });
    return 0;
}
