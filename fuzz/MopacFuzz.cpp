// KelDbMolecule::ReadMopac, charge and unite from the first byte, written back with WriteMopac
// (which always writes charges).
#include "FuzzSupport.h"
#include "qrtzdb/formats/KelDbMolecule.h"

using namespace qrtz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const int charge = data[0] & 1;
    const int unite = (data[0] >> 1) & 1;
    KelDbMolecule first;
    if (!fuzz::ReadText(fuzz::Bytes(data + 1, size - 1),
                        [&](FileStream& in) { first.ReadMopac(in, charge, unite); }))
        return 0;
    KelDbMolecule second;
    fuzz::WrittenMustRead([&](FileStream& out) { first.WriteMopac(out); },
                          [&](FileStream& in) { second.ReadMopac(in, 1, 0); });
    return 0;
}
