// qrtz clip: copy structures to the clipboard the suite's programs share, paste them into
// files, and show what the clipboard holds.
#include <cstdio>
#include <ctime>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "Commands.h"
#include "Structure.h"
#include "qrtzdb/clipboard/UDataTrans.h"
#include "qrtzdb/platform/Clipboard.h"
#include "qrtzdb/platform/Module.h"

namespace qrtz::tool {

namespace {

using UDFORMAT = UDataTransEx::UDFORMAT;

// In the store's folder: the stamp of the last copy qrtz made, so that `list` can tell whether the
// content is still that copy. Stamps are whole seconds, so another program copying in the
// same second is taken for qrtz.
constexpr const char* kStampFile = "qrtz-stamp";

std::string trimmed(std::string name) {
    name.erase(name.find_last_not_of(' ') + 1);
    return name;
}

std::string quoted(const std::string& name) {
    const std::string shown = trimmed(name);
    return shown.empty() ? "(no name)" : "'" + shown + "'";
}

void initFormats() {
    UDataTransEx::Init();
    for (int f = 0; f < UDataTransEx::kFormatCount; ++f)
        if (UDataTransEx::GetCbFormId(static_cast<UDFORMAT>(f)) == 0)
            throw ToolError("cannot register the clipboard formats in " + GetClipboardStoreDir());
}

std::string stampPath() { return JoinPath(GetClipboardStoreDir(), kStampFile); }

bool lastStamp(long& stamp) {
    std::ifstream in(stampPath());
    return static_cast<bool>(in >> stamp);
}

std::string describeStamp(long stamp) {
    char when[64] = "";
    const std::time_t t = static_cast<std::time_t>(stamp);
    std::tm utc{};
    if (gmtime_r(&t, &utc)) std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S UTC", &utc);
    return "stamp " + std::to_string(stamp) + " (" + when + ")";
}

// The formats of the library in a source, then plain text.
std::string offeredFormats(const COleDataSource& src) {
    std::string names;
    auto add = [&names](const std::string& name) { names += (names.empty() ? "" : ", ") + name; };
    for (int f = 0; f < UDataTransEx::kFormatCount; ++f)
        if (src.HasFormat(UDataTransEx::GetCbFormId(static_cast<UDFORMAT>(f))))
            add(UDataTransEx::m_strFormName[f]);
    if (src.HasFormat(CF_TEXT)) add("CF_TEXT");
    return names;
}

// Atom number (1-based) of a structure: of a molecule, a crystal, or a molecular crystal's
// molecules taken in order.
const DbAtomV* atomAt(const Structure& s, int number, const std::string& path) {
    int left = number;
    auto walk = [&left](const DbAtomVSet& atoms) -> const DbAtomV* {
        for (POSITION pos = atoms.GetAtomHeadPosition(); pos;) {
            const DbAtomV* atom = atoms.GetAtomNext(pos);
            if (--left == 0) return atom;
        }
        return nullptr;
    };
    const DbAtomV* found = nullptr;
    int count = 0;
    if (number >= 1) {
        switch (s.kind) {
        case Kind::molecule: found = walk(*s.molecule); break;
        case Kind::crystal: found = walk(*s.crystal); break;
        case Kind::molCrystal:
            for (POSITION pos = s.molCrystal->GetMolHeadPosition(); pos && !found;)
                found = walk(*s.molCrystal->GetMolNext(pos));
            break;
        }
    }
    if (found) return found;
    switch (s.kind) {
    case Kind::molecule: count = s.molecule->GetAtomCount(); break;
    case Kind::crystal: count = s.crystal->GetAtomCount(); break;
    case Kind::molCrystal: count = s.molCrystal->GetAtomCount(); break;
    }
    throw ToolError(path + ": no atom " + std::to_string(number) + " (the " + KindName(s.kind) +
                    " has " + std::to_string(count) + " atoms)");
}

void copy(const std::string& path, int atomNumber, const std::vector<double>& offsetValues) {
    initFormats();
    const FileFormat& format = FormatOf(path);
    Structure s = ReadOneAs(path, atomNumber != 0 || format.kind != Kind::crystal
                                      ? format.kind
                                      : Kind::molCrystal);
    const Vertex3D offset = offsetValues.size() == 3
                                ? Vertex3D(offsetValues[0], offsetValues[1], offsetValues[2])
                                : Vertex3D();
    UDataTransEx trans;
    auto src = std::make_unique<COleDataSource>();
    UDFORMAT main = UDataTransEx::UDF_MOLECULE;
    std::string what;
    if (atomNumber != 0) {
        KelDbAtomV atom;
        atom.SetAtom(*atomAt(s, atomNumber, path));
        trans.SetData(src.get(), &atom);
        main = UDataTransEx::UDF_ATOM;
        what = "atom " + std::to_string(atomNumber) + " (" + trimmed(atom.GetName()) + ")";
    } else if (s.kind == Kind::molecule) {
        trans.SetData(src.get(), s.molecule.get(), offset);
        what = "molecule " + quoted(s.molecule->GetName());
    } else {
        trans.SetData(src.get(), s.molCrystal.get(), offset);
        main = UDataTransEx::UDF_MOLCRYSTAL;
        what = "molecular crystal " + quoted(s.molCrystal->GetName());
    }
    if (!src->HasFormat(UDataTransEx::GetCbFormId(main)))
        throw ToolError(path + ": the " + UDataTransEx::m_strFormName[main] +
                        " text could not be written");
    // A molecular crystal's copy carries its stamp already; the others get one here.
    if (!src->HasFormat(UDataTransEx::GetCbFormId(UDataTransEx::UDF_TIME))) trans.SetTime(src.get());
    const long stamp = UDataTransEx::GetSetTime();
    const std::string offered = offeredFormats(*src);
    if (!src.release()->SetClipboard())
        throw ToolError("cannot write the clipboard store " + GetClipboardStoreDir());
    try {
        WithOutput(stampPath(), [stamp](FileStream& out) { out.WriteLine("%ld", stamp); });
    } catch (const ToolError& e) {
        std::fprintf(stderr, "qrtz: warning: the stamp was not kept: %s\n", e.what());
    }
    std::printf("copied %s of %s: %s\n%s\n", what.c_str(), path.c_str(), offered.c_str(),
                describeStamp(stamp).c_str());
}

Structure molecule() {
    Structure s;
    s.kind = Kind::molecule;
    s.molecule = std::make_unique<KelDbMolecule>();
    return s;
}

// The structure of the suite's own formats that suits a file of kind `wanted`: a molecular
// crystal for crystal files when there is one, else the molecule, else the single atom.
Structure pasteNative(UDataTransEx& trans, COleDataObject& obj, Kind wanted, Vertex3D& offset,
                      UDFORMAT& source) {
    auto present = [&obj](UDFORMAT f) { return obj.IsDataAvailable(UDataTransEx::GetCbFormId(f)); };
    auto unreadable = [](UDFORMAT f) {
        return ToolError("the clipboard's " + UDataTransEx::m_strFormName[f] +
                         " text could not be read");
    };
    if (wanted != Kind::molecule && present(UDataTransEx::UDF_MOLCRYSTAL)) {
        source = UDataTransEx::UDF_MOLCRYSTAL;
        Structure s;
        s.kind = Kind::molCrystal;
        s.molCrystal = std::make_unique<KelDbMolCrystal>();
        if (!trans.GetData(&obj, s.molCrystal.get(), &offset)) throw unreadable(source);
        return s;
    }
    Structure s = molecule();
    if (present(UDataTransEx::UDF_MOLECULE)) {
        source = UDataTransEx::UDF_MOLECULE;
        if (!trans.GetData(&obj, s.molecule.get(), &offset)) throw unreadable(source);
        return s;
    }
    if (present(UDataTransEx::UDF_ATOM)) {
        source = UDataTransEx::UDF_ATOM;
        KelDbAtomV atom;
        if (!trans.GetData(&obj, &atom)) throw unreadable(source);
        s.molecule->SetName(trimmed(atom.GetName()).c_str());
        s.molecule->AppendAtom(static_cast<DbAtomV*>(atom.Copy()));
        s.molecule->UpdateAtomTypeList();
        return s;
    }
    if (present(UDataTransEx::UDF_MOLCRYSTAL))
        throw ToolError("the clipboard holds a molecular crystal only: paste it to .mcr, .bdl "
                        "or .cry");
    throw ToolError("the clipboard holds no structure of this library's formats (try --from "
                    "mopac or --from mdl, or see qrtz clip list)");
}

Structure pasteExchange(UDataTransEx& trans, COleDataObject& obj, const std::string& from,
                        bool unite, UDFORMAT& source) {
    std::vector<UDFORMAT> candidates;
    if (from == "mdl") candidates = {UDataTransEx::UDF_MDLCT};
    else candidates = {UDataTransEx::UDF_MOLDATA, UDataTransEx::UDF_MOLDATA1, UDataTransEx::UDF_MOLDATA2};
    for (UDFORMAT f : candidates) {
        if (!obj.IsDataAvailable(UDataTransEx::GetCbFormId(f))) continue;
        source = f;
        Structure s = molecule();
        Vertex3D offset;
        if (!trans.GetData(&obj, s.molecule.get(), &offset, unite ? 1 : 0, f))
            throw ToolError("the clipboard's " + UDataTransEx::m_strFormName[f] +
                            " text could not be read");
        return s;
    }
    throw ToolError("the clipboard holds no " + from + " text");
}

std::string counts(const Structure& s) {
    switch (s.kind) {
    case Kind::molecule:
        return std::to_string(s.molecule->GetAtomCount()) + " atoms, " +
               std::to_string(s.molecule->GetBondCount()) + " bonds";
    case Kind::crystal: return std::to_string(s.crystal->GetAtomCount()) + " atoms";
    case Kind::molCrystal:
        return std::to_string(s.molCrystal->GetMolCount()) + " molecules, " +
               std::to_string(s.molCrystal->GetAtomCount()) + " atoms";
    }
    return {};
}

void paste(const std::string& out, const std::string& from, bool unite) {
    const FileFormat& format = FormatOf(out);
    if (from == "kel" && unite) throw ToolError("--unite works with --from mopac or mdl");
    initFormats();
    COleDataObject obj;
    if (!obj.AttachClipboard()) throw ToolError("the clipboard is empty");
    UDataTransEx trans;
    Vertex3D offset;
    UDFORMAT source = UDataTransEx::UDF_MOLECULE;
    Structure s = from == "kel" ? pasteNative(trans, obj, format.kind, offset, source)
                                : pasteExchange(trans, obj, from, unite, source);
    obj.Release();

    const std::string what =
        std::string(KindName(s.kind)) + " " +
        quoted(s.kind == Kind::molecule ? s.molecule->GetName() : s.molCrystal->GetName()) +
        " (" + counts(s) + ")";
    if (s.kind == Kind::molecule && format.kind != Kind::molecule) s = MoleculeToMolCrystal(*s.molecule);
    if (s.kind == Kind::molCrystal && format.kind == Kind::crystal) s = MolCrystalToCrystal(*s.molCrystal);
    WriteStructure(s, out, format);
    std::printf("pasted %s from %s", what.c_str(), UDataTransEx::m_strFormName[source].c_str());
    if (source == UDataTransEx::UDF_MOLECULE || source == UDataTransEx::UDF_MOLCRYSTAL)
        std::printf(", offset %.4f %.4f %.4f", offset.x, offset.y, offset.z);
    std::printf(", written to %s\n", out.c_str());
}

void list() {
    initFormats();
    COleDataObject obj;
    if (!obj.AttachClipboard()) {
        std::printf("the clipboard is empty\n");
        return;
    }
    for (unsigned int format : obj.GetFormats()) {
        std::string name = GetClipboardFormatName(format);
        std::printf("%-14s 0x%04x %10zu bytes\n", name.empty() ? "?" : name.c_str(), format,
                    GlobalSize(obj.GetGlobalData(format)));
    }
    UDataTransEx trans;
    long stamp = 0;
    if (!trans.GetTime(&obj, stamp)) {
        std::printf("no stamp\n");
        return;
    }
    long ours = 0;
    const bool known = lastStamp(ours);
    std::printf("%s: %s\n", describeStamp(stamp).c_str(),
                known && ours == stamp ? "the last stamp this user's qrtz wrote"
                                       : "not the last stamp this user's qrtz wrote");
}

} // namespace

void AddClipCommands(CLI::App& app) {
    auto* clip = app.add_subcommand("clip", "Copy structures to the clipboard the suite's programs "
                                            "share, paste them into files, list its content");
    clip->require_subcommand(1);

    struct CopyOptions {
        std::string file;
        int atom = 0;
        std::vector<double> offset;
    };
    auto c = std::make_shared<CopyOptions>();
    auto* copyCmd = clip->add_subcommand(
        "copy", "Copy a molecule (.mol) or molecular crystal (.mcr .bdl; a crystal .cry as one) "
                "in every clipboard format it has, with a time stamp");
    copyCmd->add_option("file", c->file, "Structure file")->required();
    auto* atomOption =
        copyCmd->add_option("--atom", c->atom,
                            "Copy only atom N (1-based; a molecular crystal's molecules in "
                            "order), with the coordinates the file holds")
            ->check(CLI::PositiveNumber);
    copyCmd->add_option("--offset", c->offset, "Offset X Y Z carried with a molecule or crystal")
        ->expected(3)
        ->excludes(atomOption);
    copyCmd->callback([c] { copy(c->file, c->atom, c->offset); });

    struct PasteOptions {
        std::string out;
        std::string from = "kel";
        bool unite = false;
    };
    auto p = std::make_shared<PasteOptions>();
    auto* pasteCmd = clip->add_subcommand(
        "paste", "Write the clipboard's molecule or molecular crystal to a file of the kind its "
                 "extension names (.mol .mcr .bdl .cry)");
    pasteCmd->add_option("out", p->out, "File to write")->required();
    pasteCmd->add_option("--from", p->from,
                         "kel: this suite's formats (default); mopac: MOPAC geometry text; "
                         "mdl: an MDL record")
        ->check(CLI::IsMember({"kel", "mopac", "mdl"}));
    pasteCmd->add_flag("--unite", p->unite, "Fold hydrogens into their carbons (mopac, mdl)");
    pasteCmd->callback([p] { paste(p->out, p->from, p->unite); });

    auto* listCmd = clip->add_subcommand(
        "list", "The formats on the clipboard with their sizes, and its time stamp");
    listCmd->callback([] { list(); });
}

} // namespace qrtz::tool
