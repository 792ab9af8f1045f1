#pragma once
// The JSON document a `qrtz view` page is filled with: the structures of a file (one per SD
// record), each atom with its symbol, position, colour and radius from the element table, the
// bonds with their types, the cell, the facts `qrtz info` prints, and for a simulation result
// file its frames and thermodynamic series. tools/qrtz/view/README.md describes the fields.
#include <string>
#include <vector>

#include "Structure.h"

namespace qrtz::tool {

struct ViewOptions {
    std::string input;
    ReadOptions read;
    // The frame (simulation) or 1-based record (SD file) shown first; -1 for the first.
    int frame = -1;
    // Cell repeats drawn for a crystal or molecular crystal.
    int supercell[3] = {1, 1, 1};
    // The most atom positions a page embeds over all frames; a run with more is sampled every
    // k-th frame, k as small as fits.
    long long embedLimit = 500000;
};

// Reads options.input and returns the document; throws ToolError naming the file (and the
// record or frame) at fault.
std::string ViewDocument(const ViewOptions& options);

} // namespace qrtz::tool
