#pragma once
// The host's string resources: texts under numeric identifiers. The library has none of its
// own; the host fills the table (for instance with its settings item definitions) before it
// asks the library to load them.
#include "qrtzdb/platform/CString.h"

namespace qrtz {

// Stores text under id, replacing an earlier one.
void SetStringResource(unsigned int id, const CString& text);

// Removes the text under id; ClearStringResources removes every text.
void RemoveStringResource(unsigned int id);
void ClearStringResources();

// Puts the text under id into text and returns true; false (text unchanged) when there is none.
bool LoadString(unsigned int id, CString& text);

} // namespace qrtz
