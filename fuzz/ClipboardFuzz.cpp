// The clipboard store. First byte even: the input is the store's content file, which must read
// as some formats or as an empty clipboard. Odd: the input is split at its second byte into two
// blocks put on the clipboard under CF_TEXT and a registered format, which must come back whole.
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <unistd.h>

#include "FuzzSupport.h"
#include "qrtzdb/platform/Clipboard.h"

using namespace qrtz;

namespace {

unsigned int fuzzFormat = 0;

HGLOBAL Block(const std::uint8_t* data, std::size_t size) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, size);
    if (!block) std::abort();
    if (size) std::memcpy(GlobalLock(block), data, size);
    GlobalUnlock(block);
    return block;
}

bool Holds(COleDataObject& object, unsigned int format, const std::uint8_t* data,
           std::size_t size) {
    HGLOBAL block = object.GetGlobalData(format);
    if (!block || GlobalSize(block) != size) return false;
    const bool same = size == 0 || std::memcmp(GlobalLock(block), data, size) == 0;
    GlobalUnlock(block);
    return same;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const std::string pattern = fuzz::TempDir("clipfuzz");
    ::setenv("QRTZ_CLIPBOARD", pattern.c_str(), 1);
    fuzzFormat = RegisterClipboardFormat("Fuzz Format");
    if (fuzzFormat == 0) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    COleDataObject object;
    if (data[0] % 2 == 0) {
        {
            std::ofstream out(GetClipboardStoreDir() + "/content", std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char*>(data + 1), static_cast<std::streamsize>(size - 1));
        }
        if (object.AttachClipboard())
            for (unsigned int format : object.GetFormats())
                if (!object.GetGlobalData(format)) std::abort();
        return 0;
    }
    const std::size_t split = std::min<std::size_t>(data[1], size - 2);
    const std::uint8_t* text = data + 2;
    auto* source = new COleDataSource;
    source->CacheGlobalData(CF_TEXT, Block(text, split));
    source->CacheGlobalData(fuzzFormat, Block(text + split, size - 2 - split));
    if (!source->SetClipboard()) std::abort();
    if (!object.AttachClipboard() || !Holds(object, CF_TEXT, text, split) ||
        !Holds(object, fuzzFormat, text + split, size - 2 - split)) {
        std::fprintf(stderr, "clipboard content does not come back\n");
        std::abort();
    }
    return 0;
}
