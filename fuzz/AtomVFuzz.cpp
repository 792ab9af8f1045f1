// KelDbAtomV::ReadAtom on every line of the input, each written back with WriteAtom.
#include "FuzzSupport.h"
#include "qrtzdb/formats/KelDbAtomV.h"

using namespace qrtz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::RoundTrip<KelDbAtomV>(
        data, size, [](KelDbAtomV& a, FileStream& in) { a.ReadAtom(in); },
        [](const KelDbAtomV& a, FileStream& out) { a.WriteAtom(out); });
    return 0;
}
