#include "qrtzdb/platform/StringResource.h"

#include <unordered_map>

namespace qrtz {

namespace {

std::unordered_map<unsigned int, CString>& table() {
    static std::unordered_map<unsigned int, CString> texts;
    return texts;
}

} // namespace

void SetStringResource(unsigned int id, const CString& text) { table()[id] = text; }

void RemoveStringResource(unsigned int id) { table().erase(id); }

void ClearStringResources() { table().clear(); }

bool LoadString(unsigned int id, CString& text) {
    auto it = table().find(id);
    if (it == table().end()) return false;
    text = it->second;
    return true;
}

} // namespace qrtz
