#include "Structure.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <unistd.h>

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

const char* KindName(Kind kind) {
    switch (kind) {
    case Kind::molecule: return "molecule";
    case Kind::crystal: return "crystal";
    case Kind::molCrystal: return "molecular crystal";
    }
    return "structure";
}

const std::vector<FileFormat>& FileFormats() {
    static const std::vector<FileFormat> formats = {
        {"mol", ".mol", "molecular database", Kind::molecule,
         [](Structure& s, FileStream& in) { s.molecule->ReadMoldb(in); },
         [](Structure& s, FileStream& out) { s.molecule->WriteMoldb(out); }},
        {"cry", ".cry", "crystal database", Kind::crystal,
         [](Structure& s, FileStream& in) { s.crystal->ReadCrydb(in); },
         [](Structure& s, FileStream& out) { s.crystal->WriteCrydb(out); }},
        {"mcr", ".mcr", "molecular crystal database", Kind::molCrystal,
         [](Structure& s, FileStream& in) { s.molCrystal->ReadMcrdb(in); },
         [](Structure& s, FileStream& out) { s.molCrystal->WriteMcrdb(out); }},
        {"bdl", ".bdl", "bundle (molecular crystal for the simulator)", Kind::molCrystal,
         [](Structure& s, FileStream& in) { s.molCrystal->ReadBdl(in); },
         [](Structure& s, FileStream& out) { s.molCrystal->WriteBdl(out, 1); }},
    };
    return formats;
}

const FileFormat& FormatOf(const std::string& path, const std::string& forced) {
    const std::string ext = forced.empty() ? extensionOf(path) : "." + forced;
    for (const FileFormat& f : FileFormats())
        if (ext == f.extension) return f;
    std::string known;
    for (const FileFormat& f : FileFormats()) known += std::string(known.empty() ? "" : ", ") + f.extension;
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

Structure ReadStructure(const std::string& path, const FileFormat& format) {
    Structure s = makeEmpty(format.kind);
    WithInput(path, [&](FileStream& in) { format.read(s, in); });
    return s;
}

Structure ReadStructure(const std::string& path) { return ReadStructure(path, FormatOf(path)); }

Structure ReadAs(const std::string& path, Kind wanted) {
    const FileFormat& format = FormatOf(path);
    if (format.kind == wanted) return ReadStructure(path, format);
    if (format.kind == Kind::molecule && wanted == Kind::molCrystal) {
        Structure s = makeEmpty(Kind::molCrystal);
        WithInput(path, [&](FileStream& in) { s.molCrystal->ReadMoldb(in); });
        return s;
    }
    Structure s = ReadStructure(path, format);
    if (format.kind == Kind::crystal && wanted == Kind::molCrystal) return crystalToMolCrystal(*s.crystal);
    if (format.kind == Kind::molCrystal && wanted == Kind::crystal) return MolCrystalToCrystal(*s.molCrystal);
    throw ToolError(path + ": a " + KindName(format.kind) + " cannot be made into a " +
                    KindName(wanted));
}

void WriteStructure(Structure& structure, const std::string& path, const FileFormat& format) {
    WithOutput(path, [&](FileStream& out) { format.write(structure, out); });
}

} // namespace qrtz::tool
