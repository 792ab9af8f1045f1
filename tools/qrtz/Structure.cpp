#include "Structure.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include <CLI/CLI.hpp>

#include "Commands.h"

namespace qrtz::tool {

namespace {

std::string extensionOf(const std::string& path) {
    auto slash = path.find_last_of('/');
    auto dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    std::string ext = path.substr(dot);
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

Structure makeEmpty(Kind kind) {
    Structure s;
    s.kind = kind;
    switch (kind) {
    case Kind::molecule: s.molecule = std::make_unique<KelDbMolecule>(); break;
    case Kind::crystal: s.crystal = std::make_unique<KelDbCrystal>(); break;
    case Kind::molCrystal: s.molCrystal = std::make_unique<KelDbMolCrystal>(); break;
    }
    return s;
}

void copyCell(const DbCell& from, DbCell& to) {
    to.a = from.a;
    to.b = from.b;
    to.c = from.c;
    to.alpha = from.alpha;
    to.beta = from.beta;
    to.gamma = from.gamma;
}

// One unbonded group of atoms per element, the way atomic crystals are kept as molecular ones.
Structure crystalToMolCrystal(KelDbCrystal& crystal) {
    Structure out = makeEmpty(Kind::molCrystal);
    KelDbMolCrystal& mcr = *out.molCrystal;
    mcr.SetName(crystal.GetName().c_str());
    copyCell(crystal, mcr);
    crystal.UpdateAtomTypeList();
    for (int t = 0; t < crystal.GetAtomTypeCount(); ++t) {
        const CString type = *crystal.GetAtomTypeAt(t);
        DbMolecule* group = mcr.CreateKelDbMolecule(type.c_str());
        for (POSITION pos = crystal.GetAtomHeadPosition(type.c_str()); pos;) {
            DbAtomV* atom = crystal.GetAtomNext(type.c_str(), pos);
            group->AppendAtom(static_cast<DbAtomV*>(atom->Copy()));
        }
        group->UpdateAtomTypeList();
        mcr.AppendMol(group);
    }
    mcr.UpdateMolTypeList();
    return out;
}

} // namespace

Structure MolCrystalToCrystal(KelDbMolCrystal& mcr) {
    Structure out = makeEmpty(Kind::crystal);
    KelDbCrystal& crystal = *out.crystal;
    crystal.SetName(mcr.GetName().c_str());
    copyCell(mcr, crystal);
    for (POSITION m = mcr.GetMolHeadPosition(); m;) {
        DbMolecule* mol = mcr.GetMolNext(m);
        for (POSITION a = mol->GetAtomHeadPosition(); a;)
            crystal.AppendAtom(static_cast<DbAtomV*>(mol->GetAtomNext(a)->Copy()));
    }
    crystal.UpdateAtomTypeList();
    return out;
}

Structure MoleculeToMolCrystal(const KelDbMolecule& mol) {
    std::stringstream text;
    {
        FileStream out(text);
        mol.WriteMoldb(out);
    }
    Structure s = makeEmpty(Kind::molCrystal);
    FileStream in(text);
    s.molCrystal->ReadMoldb(in);
    return s;
}

void AddReadOptions(CLI::App& command, ReadOptions& options) {
    command.add_flag("--mdl", options.mdl, "Read .mol files as MDL molfiles");
    command.add_flag("--unite", options.unite,
                     "Fold hydrogens into their carbons (united atoms) in MDL, MOPAC and QSF files");
}

const char* KindName(Kind kind) {
    switch (kind) {
    case Kind::molecule: return "molecule";
    case Kind::crystal: return "crystal";
    case Kind::molCrystal: return "molecular crystal";
    }
    return "structure";
}

namespace {

// A MOPAC text written by us carries a partial charge after each symbol; one from elsewhere
// may not. The first atom line tells: a fifth field that is a number is a charge.
bool mopacHasCharges(const std::string& text) {
    std::istringstream lines(text);
    std::string counts, atom;
    if (!std::getline(lines, counts) || !std::getline(lines, atom)) return false;
    std::istringstream fields(atom);
    std::string field;
    for (int i = 0; i < 5; ++i)
        if (!(fields >> field)) return false;
    char* end = nullptr;
    std::strtod(field.c_str(), &end);
    return end && *end == '\0';
}

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw ToolError(path + ": " + std::strerror(errno));
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A structure of another kind made into the wanted one, where that makes sense.
Structure convertTo(Structure s, Kind wanted, const std::string& path) {
    if (s.kind == wanted) return s;
    if (s.kind == Kind::crystal && wanted == Kind::molCrystal) return crystalToMolCrystal(*s.crystal);
    if (s.kind == Kind::molCrystal && wanted == Kind::crystal) return MolCrystalToCrystal(*s.molCrystal);
    throw ToolError(path + ": a " + KindName(s.kind) + " cannot be made into a " + KindName(wanted));
}

// The records of an SD file one at a time, each molecule with its data fields.
void forEachRecord(const std::string& path, const ReadOptions& options,
                   SdRecordReader::ONBADRECORD onBadRecord,
                   const std::function<void(Structure&, int record)>& body,
                   const SdRecordReader::BadRecordSink& badRecordSink) {
    WithInput(path, [&](FileStream& in) {
        SdRecordReader reader(in, onBadRecord, options.unite ? 1 : 0);
        reader.SetBadRecordSink(badRecordSink);
        Structure s = makeEmpty(Kind::molecule);
        while (reader.ReadRecord(*s.molecule)) {
            s.dataFields = reader.GetDataFields();
            body(s, reader.GetRecordNumber());
            // The body may have kept the molecule.
            if (s.molecule.use_count() > 1 || !s.molecule) s = makeEmpty(Kind::molecule);
        }
    });
}

} // namespace

const std::vector<FileFormat>& FileFormats() {
    static const std::vector<FileFormat> formats = {
        {"mol", ".mol", "molecular database", Kind::molecule, false,
         [](Structure& s, FileStream& in, const ReadOptions&) { s.molecule->ReadMoldb(in); },
         [](Structure& s, FileStream& out) { s.molecule->WriteMoldb(out); }},
        {"cry", ".cry", "crystal database", Kind::crystal, false,
         [](Structure& s, FileStream& in, const ReadOptions&) { s.crystal->ReadCrydb(in); },
         [](Structure& s, FileStream& out) { s.crystal->WriteCrydb(out); }},
        {"mcr", ".mcr", "molecular crystal database", Kind::molCrystal, false,
         [](Structure& s, FileStream& in, const ReadOptions&) { s.molCrystal->ReadMcrdb(in); },
         [](Structure& s, FileStream& out) { s.molCrystal->WriteMcrdb(out); }},
        {"bdl", ".bdl", "bundle (molecular crystal for the simulator)", Kind::molCrystal, false,
         [](Structure& s, FileStream& in, const ReadOptions&) { s.molCrystal->ReadBdl(in); },
         [](Structure& s, FileStream& out) { s.molCrystal->WriteBdl(out, 1); }},
        {"sdf", ".sdf", "MDL SD file, one molecule per record", Kind::molecule, true,
         [](Structure& s, FileStream& in, const ReadOptions& o) { s.molecule->ReadMdl(in, o.unite); },
         [](Structure& s, FileStream& out) { s.molecule->WriteMdl(out, s.dataFields); }},
        {"mdl", ".mol", "MDL molfile (a .mol file read with --mdl)", Kind::molecule, true,
         [](Structure& s, FileStream& in, const ReadOptions& o) { s.molecule->ReadMdl(in, o.unite); },
         [](Structure& s, FileStream& out) { s.molecule->WriteMdl(out, s.dataFields); }},
        {"mop", ".mop", "MOPAC-style geometry text", Kind::molecule, false,
         nullptr,  // read in ReadStructures, which first looks whether the lines carry charges
         [](Structure& s, FileStream& out) { s.molecule->WriteMopac(out); }},
        {"qsf", ".qsf", "QSF object tables", Kind::molecule, false,
         [](Structure& s, FileStream& in, const ReadOptions& o) { s.molecule->ReadQsf(in, o.unite); },
         [](Structure& s, FileStream& out) { s.molecule->WriteQsf(out); }},
    };
    return formats;
}

const FileFormat& FormatNamed(const std::string& name) {
    for (const FileFormat& f : FileFormats())
        if (name == f.name) return f;
    throw ToolError("unknown format '" + name + "'");
}

const FileFormat& FormatOf(const std::string& path, const ReadOptions& options) {
    const std::string ext = extensionOf(path);
    for (const FileFormat& f : FileFormats())
        if (options.mdl ? f.name == std::string("mdl") && ext == f.extension : ext == f.extension)
            return f;
    std::string known;
    for (const FileFormat& f : FileFormats())
        if (known.find(f.extension) == std::string::npos)
            known += std::string(known.empty() ? "" : ", ") + f.extension;
    throw ToolError(path + ": unknown file kind '" + ext + "' (known: " + known + ")");
}

void WithInput(const std::string& path, const std::function<void(FileStream&)>& body) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) throw ToolError(path + ": " + std::strerror(errno));
    try {
        FileStream in(file);
        in.SetName(path.c_str());
        body(in);
    } catch (...) {
        std::fclose(file);
        throw;
    }
    std::fclose(file);
}

void WithOutput(const std::string& path, const std::function<void(FileStream&)>& body) {
    const std::string temp = path + ".tmp" + std::to_string(::getpid());
    std::FILE* file = std::fopen(temp.c_str(), "wb");
    if (!file) throw ToolError(path + ": " + std::strerror(errno));
    try {
        FileStream out(file);
        out.SetName(path.c_str());
        body(out);
    } catch (...) {
        std::fclose(file);
        std::remove(temp.c_str());
        throw;
    }
    bool ok = std::fflush(file) == 0 && ::fsync(::fileno(file)) == 0;
    ok = std::fclose(file) == 0 && ok;
    if (!ok || std::rename(temp.c_str(), path.c_str()) != 0) {
        std::string why = std::strerror(errno);
        std::remove(temp.c_str());
        throw ToolError(path + ": " + why);
    }
}

void WriteWholeFile(const std::string& path, const std::string& bytes) {
    const std::string temp = path + ".tmp" + std::to_string(::getpid());
    std::FILE* file = std::fopen(temp.c_str(), "wb");
    if (!file) throw ToolError(path + ": " + std::strerror(errno));
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    ok = std::fflush(file) == 0 && ok;
    ok = std::fclose(file) == 0 && ok;
    if (!ok || std::rename(temp.c_str(), path.c_str()) != 0) {
        std::string why = std::strerror(errno);
        std::remove(temp.c_str());
        throw ToolError(path + ": " + why);
    }
}

std::vector<Structure> ReadStructures(const std::string& path, const ReadOptions& options) {
    const FileFormat& format = FormatOf(path, options);
    std::vector<Structure> one;
    if (format.records) {
        forEachRecord(path, options, SdRecordReader::STOP,
                      [&](Structure& s, int) { one.push_back(std::move(s)); }, nullptr);
        return one;
    }
    if (format.name == std::string("mop")) {
        const std::string text = slurp(path);
        const int charges = mopacHasCharges(text) ? 1 : 0;
        Structure s = makeEmpty(Kind::molecule);
        std::istringstream in(text);
        FileStream stream(in);
        stream.SetName(path.c_str());
        s.molecule->ReadMopac(stream, charges, options.unite);
        one.push_back(std::move(s));
        return one;
    }
    Structure s = makeEmpty(format.kind);
    WithInput(path, [&](FileStream& in) { format.read(s, in, options); });
    one.push_back(std::move(s));
    return one;
}

std::vector<Structure> ReadAs(const std::string& path, Kind wanted, const ReadOptions& options) {
    const FileFormat& format = FormatOf(path, options);
    if (format.kind == Kind::molecule && wanted == Kind::molCrystal && format.name == std::string("mol")) {
        std::vector<Structure> one;
        one.push_back(makeEmpty(Kind::molCrystal));
        WithInput(path, [&](FileStream& in) { one.back().molCrystal->ReadMoldb(in); });
        return one;
    }
    std::vector<Structure> read = ReadStructures(path, options);
    for (Structure& s : read) s = convertTo(std::move(s), wanted, path);
    return read;
}

void ForEachStructure(const std::string& path, Kind wanted, const ReadOptions& options,
                      SdRecordReader::ONBADRECORD onBadRecord,
                      const std::function<void(Structure&, int record)>& body,
                      const SdRecordReader::BadRecordSink& badRecordSink) {
    const FileFormat& format = FormatOf(path, options);
    if (!format.records) {
        for (Structure& s : ReadAs(path, wanted, options)) body(s, 1);
        return;
    }
    if (wanted != Kind::molecule) convertTo(makeEmpty(Kind::molecule), wanted, path);  // throws
    forEachRecord(path, options, onBadRecord, body, badRecordSink);
}

Structure ReadOneAs(const std::string& path, Kind wanted, const ReadOptions& options) {
    std::vector<Structure> all = ReadAs(path, wanted, options);
    if (all.size() != 1)
        throw ToolError(path + ": holds " + std::to_string(all.size()) + " structures, not one");
    return std::move(all.front());
}

void WriteStructure(Structure& structure, const std::string& path, const FileFormat& format) {
    WithOutput(path, [&](FileStream& out) { format.write(structure, out); });
}

void WriteStructures(std::vector<Structure>& structures, const std::string& path,
                     const FileFormat& format) {
    if (structures.size() != 1 && !format.records)
        throw ToolError(path + ": a " + format.description + " holds one structure, not " +
                        std::to_string(structures.size()));
    WithOutput(path, [&](FileStream& out) {
        for (Structure& s : structures) format.write(s, out);
    });
}

} // namespace qrtz::tool
