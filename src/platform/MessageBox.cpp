#include "qrtzdb/platform/MessageBox.h"

#include <cstdio>
#include <utility>

namespace qrtz {

namespace {

void writeToStderr(const CString& text, const CString& caption) {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}

MessageHandler& handler() {
    static MessageHandler current = writeToStderr;
    return current;
}

} // namespace

MessageHandler SetMessageHandler(MessageHandler next) {
    if (!next) next = writeToStderr;
    return std::exchange(handler(), std::move(next));
}

void MessageBox(const CString& text, const CString& caption) { handler()(text, caption); }

} // namespace qrtz
