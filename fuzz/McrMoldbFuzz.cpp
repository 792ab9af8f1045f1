// KelDbMolCrystal::ReadMoldb (a molecule into the crystal's cell), written back as .mcr.
#include "FuzzSupport.h"
#include "qrtzdb/formats/KelDbMolCrystal.h"

using namespace qrtz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    KelDbMolCrystal crystal;
    if (!fuzz::ReadText(fuzz::Bytes(data, size), [&](FileStream& in) { crystal.ReadMoldb(in); }))
        return 0;
    std::ostringstream os;
    {
        FileStream out(os);
        if (!fuzz::Survives([&] { crystal.WriteMcrdb(out); })) return 0;
    }
    KelDbMolCrystal again;
    fuzz::MustRead(os.str(), [&](FileStream& in) { again.ReadMcrdb(in); });
    return 0;
}
