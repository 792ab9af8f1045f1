// KelDbMolecule::ReadQsf, unite from the first byte, written back with WriteQsf.
#include "FuzzSupport.h"
#include "qrtzdb/formats/KelDbMolecule.h"

using namespace qrtz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const int unite = data[0] & 1;
    fuzz::RoundTrip<KelDbMolecule>(
        data + 1, size - 1, [unite](KelDbMolecule& m, FileStream& in) { m.ReadQsf(in, unite); },
        [](KelDbMolecule& m, FileStream& out) { m.WriteQsf(out); });
    return 0;
}
