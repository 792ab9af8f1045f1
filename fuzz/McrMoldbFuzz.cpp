// KelDbMolCrystal::ReadMoldb (a molecule into the crystal's cell), written back as .mcr.
#include "FuzzSupport.h"
#include "qrtzdb/formats/KelDbMolCrystal.h"

using namespace qrtz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    KelDbMolCrystal crystal;
    if (!fuzz::ReadText(fuzz::Bytes(data, size), [&](FileStream& in) { crystal.ReadMoldb(in); }))
        return 0;
    KelDbMolCrystal again;
    fuzz::WrittenMustRead([&](FileStream& out) { crystal.WriteMcrdb(out); },
                          [&](FileStream& in) { again.ReadMcrdb(in); });
    return 0;
}
