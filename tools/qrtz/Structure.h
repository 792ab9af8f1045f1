#pragma once
// The structures qrtz works on and the table of file formats it reads and writes.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "qrtzdb/basis/FileStream.h"
#include "qrtzdb/formats/KelDbCrystal.h"
#include "qrtzdb/formats/KelDbMolCrystal.h"
#include "qrtzdb/formats/KelDbMolecule.h"

namespace qrtz::tool {

enum class Kind { molecule, crystal, molCrystal };

const char* KindName(Kind kind);

// One structure as read from a file; exactly the member of its kind is set.
struct Structure {
    Kind kind = Kind::molecule;
    std::unique_ptr<KelDbMolecule> molecule;
    std::unique_ptr<KelDbCrystal> crystal;
    std::unique_ptr<KelDbMolCrystal> molCrystal;
};

// A file format: how files of it are named, which structure it holds, and how it is read and
// written. Formats are listed once, in FileFormats().
struct FileFormat {
    const char* name;
    const char* extension;
    const char* description;
    Kind kind;
    std::function<void(Structure&, FileStream&)> read;
    std::function<void(Structure&, FileStream&)> write;
};

const std::vector<FileFormat>& FileFormats();

// The format of a path, from its extension (or the format name given instead); throws
// ToolError for an unknown one.
const FileFormat& FormatOf(const std::string& path, const std::string& forced = "");

// Reads a whole file; errors name the file and line.
Structure ReadStructure(const std::string& path, const FileFormat& format);
Structure ReadStructure(const std::string& path);

// Reads path as a structure of the wanted kind, converting where that makes sense: a molecule
// becomes the only molecule of a molecular crystal (in the middle of its cell), a crystal
// becomes a molecular crystal with one group of atoms per element, and a molecular crystal a
// crystal holding all its atoms.
Structure ReadAs(const std::string& path, Kind wanted);

// The conversions of ReadAs for a structure in memory.
Structure MoleculeToMolCrystal(const KelDbMolecule& mol);
Structure MolCrystalToCrystal(KelDbMolCrystal& mcr);

// Writes the structure to path through a temporary file, so a failed write leaves any old
// file whole.
void WriteStructure(Structure& structure, const std::string& path, const FileFormat& format);

// Opens path and runs body over a stream on it; errors name the file.
void WithInput(const std::string& path, const std::function<void(FileStream&)>& body);
void WithOutput(const std::string& path, const std::function<void(FileStream&)>& body);

} // namespace qrtz::tool
