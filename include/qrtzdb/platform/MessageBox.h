#pragma once
// Messages meant for the user (missing settings files and the like). The host installs its own
// handler to show them; by default they go to standard error.
#include <functional>

#include "qrtzdb/platform/CString.h"

namespace qrtz {

// Receives a message's text and caption.
using MessageHandler = std::function<void(const CString& text, const CString& caption)>;

// Installs handler and returns the previous one; an empty handler restores the default.
MessageHandler SetMessageHandler(MessageHandler handler);

// Passes the text to the current handler.
void MessageBox(const CString& text, const CString& caption = "QrtzDB");

} // namespace qrtz
