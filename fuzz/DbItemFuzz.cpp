// DbItem::Create from a definition text in the string resource table; an item that is created
// is written to an INI file and read back, and must keep its value.
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "FuzzSupport.h"
#include "qrtzdb/environment/DbItem.h"
#include "qrtzdb/platform/StringResource.h"

using namespace qrtz;

namespace {
std::string iniPath;
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const std::string pattern = fuzz::TempDir("itemfuzz");
    iniPath = pattern + "/items.ini";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    SetStringResource(7, fuzz::Bytes(data, size));
    DbItem item;
    if (!fuzz::Survives([&] { item.Create(7); })) return 0;
    (void)item.Describe();
    DbItem copy(item);
    if (!item.Succeeded() || !item.WriteProfile(iniPath.c_str())) return 0;
    copy.SetInt(copy.GetInt() + 1);
    copy.SetDouble(copy.GetDouble() + 1.0);
    if (copy.ReadProfile(iniPath.c_str()) == 1 &&
        (copy.GetInt() != item.GetInt() ||
         (item.GetValueType() == DbItem::DOUBLE && copy.GetDouble() != item.GetDouble()))) {
        std::fprintf(stderr, "item value does not read back\n");
        std::abort();
    }
    return 0;
}
