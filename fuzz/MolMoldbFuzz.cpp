// KelDbMolecule::ReadMoldb, written back with WriteMoldb.
#include "FuzzSupport.h"
#include "qrtzdb/formats/KelDbMolecule.h"

using namespace qrtz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::RoundTrip<KelDbMolecule>(
        data, size, [](KelDbMolecule& m, FileStream& in) { m.ReadMoldb(in); },
        [](const KelDbMolecule& m, FileStream& out) { m.WriteMoldb(out); });
    return 0;
}
