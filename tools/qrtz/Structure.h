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
#include "qrtzdb/formats/SdRecordReader.h"

namespace CLI {
class App;
}

namespace qrtz::tool {

enum class Kind { molecule, crystal, molCrystal };

const char* KindName(Kind kind);

// One structure; exactly the member of its kind is set. Shared pointers let a command show a
// structure it does not own (a simulation frame) to the same writers.
struct Structure {
    Kind kind = Kind::molecule;
    std::shared_ptr<KelDbMolecule> molecule;
    std::shared_ptr<KelDbCrystal> crystal;
    std::shared_ptr<KelDbMolCrystal> molCrystal;
    std::vector<SdDataField> dataFields;  // an SD record's, written back with it
};

// How imported molecules are read.
struct ReadOptions {
    bool mdl = false;    // a .mol file is an MDL molfile, not a molecular database
    bool unite = false;  // fold hydrogens into their carbons (MDL, MOPAC and QSF files)
};

// Adds --mdl and --unite to a command.
void AddReadOptions(CLI::App& command, ReadOptions& options);

// A file format: how files of it are named, which structure it holds, and how it is read and
// written. Formats are listed once, in FileFormats(); an SD file holds one molecule per record.
struct FileFormat {
    const char* name;
    const char* extension;
    const char* description;
    Kind kind;
    bool records;
    std::function<void(Structure&, FileStream&, const ReadOptions&)> read;
    std::function<void(Structure&, FileStream&)> write;
};

const std::vector<FileFormat>& FileFormats();

// The format of a path from its extension, or the MDL molfile for a .mol file when options.mdl
// is set; throws ToolError for an unknown one.
const FileFormat& FormatOf(const std::string& path, const ReadOptions& options = {});

// The format of that name ("mol", "mdl", "sdf", ...); throws ToolError for an unknown one.
const FileFormat& FormatNamed(const std::string& name);

// Reads every structure of a file: one, or one per record of an SD file. Errors name the file,
// the record and the line.
std::vector<Structure> ReadStructures(const std::string& path, const ReadOptions& options = {});

// Reads path as structures of the wanted kind, converting where that makes sense: a molecule
// becomes the only molecule of a molecular crystal (in the middle of its cell), a crystal
// becomes a molecular crystal with one group of atoms per element, and a molecular crystal a
// crystal holding all its atoms.
std::vector<Structure> ReadAs(const std::string& path, Kind wanted, const ReadOptions& options = {});
// The structures of path as the wanted kind, one at a time, each with its record number (1 for
// a file of one structure). An SD file is read record by record and only the record at hand is
// held; a bad record stops the walk or is passed over (the sink hears of it) as onBadRecord
// says.
void ForEachStructure(const std::string& path, Kind wanted, const ReadOptions& options,
                      SdRecordReader::ONBADRECORD onBadRecord,
                      const std::function<void(Structure&, int record)>& body,
                      const SdRecordReader::BadRecordSink& badRecordSink = nullptr);
// The same for a file that must hold exactly one structure.
Structure ReadOneAs(const std::string& path, Kind wanted, const ReadOptions& options = {});

// The conversions of ReadAs for a structure in memory.
Structure MoleculeToMolCrystal(const KelDbMolecule& mol);
Structure MolCrystalToCrystal(KelDbMolCrystal& mcr);

// Writes the structures to path through a temporary file, so a failed write leaves any old
// file whole. Only a format with records takes more than one.
void WriteStructure(Structure& structure, const std::string& path, const FileFormat& format);
void WriteStructures(std::vector<Structure>& structures, const std::string& path,
                     const FileFormat& format);

// Opens path and runs body over a stream on it; errors name the file.
void WithInput(const std::string& path, const std::function<void(FileStream&)>& body);
void WithOutput(const std::string& path, const std::function<void(FileStream&)>& body);
// Writes bytes as the whole of path, through a temporary file like WithOutput.
void WriteWholeFile(const std::string& path, const std::string& bytes);

} // namespace qrtz::tool
