// KelDbMolecule::ReadMdl, unite from the first byte, written back with WriteMdl.
#include "FuzzSupport.h"
#include "qrtzdb/formats/KelDbMolecule.h"

using namespace qrtz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const int unite = data[0] & 1;
    fuzz::RoundTrip<KelDbMolecule>(
        data + 1, size - 1, [unite](KelDbMolecule& m, FileStream& in) { m.ReadMdl(in, unite); },
        [](const KelDbMolecule& m, FileStream& out) { m.WriteMdl(out); });
    return 0;
}
