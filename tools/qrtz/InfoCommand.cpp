// qrtz info: what a structure file holds.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "Commands.h"
#include "Report.h"
#include "Structure.h"
#include "qrtzdb/basis/KelException.h"

namespace qrtz::tool {

namespace {

// Grams per cubic ångström to grams per cubic centimetre.
constexpr double kPerCubicCentimetre = 1e24;

// Names are blank-padded in the files; the padding is not worth showing.
std::string trimmed(std::string name) {
    name.erase(name.find_last_not_of(' ') + 1);
    return name;
}

Report vector3(const Vertex3D& v) {
    Report list = Report::List();
    list.Push(Report(v.x, 4));
    list.Push(Report(v.y, 4));
    list.Push(Report(v.z, 4));
    return list;
}

Report cellReport(const DbCell& cell) {
    Report r;
    r.Add("a", Report(cell.a, 4));
    r.Add("b", Report(cell.b, 4));
    r.Add("c", Report(cell.c, 4));
    r.Add("alpha", Report(cell.alpha, 4));
    r.Add("beta", Report(cell.beta, 4));
    r.Add("gamma", Report(cell.gamma, 4));
    return r;
}

Report atomTypes(DbAtomVSet& atoms) {
    atoms.UpdateAtomTypeList();
    Report list = Report::List();
    for (int t = 0; t < atoms.GetAtomTypeCount(); ++t) {
        const CString& type = *atoms.GetAtomTypeAt(t);
        Report& entry = list.Push(Report());
        entry.Add("type", trimmed(type));
        entry.Add("count", atoms.GetAtomCountOfType(type.c_str()));
    }
    return list;
}

void describeMolecule(KelDbMolecule& mol, Report& r) {
    r.Add("name", trimmed(mol.GetName()));
    r.Add("atoms", mol.GetAtomCount());
    r.Add("bonds", mol.GetBondCount());
    r.Add("atom types", atomTypes(mol));
    r.Add("mass", Report(mol.GetMass(), 4));
    if (mol.GetAtomCount() > 0) r.Add("centre of mass", vector3(mol.GetCenterOfMass()));
}

void describeCrystal(KelDbCrystal& crystal, Report& r) {
    r.Add("name", trimmed(crystal.GetName()));
    r.Add("cell", cellReport(crystal));
    r.Add("volume", Report(crystal.GetVolume(), 4));
    r.Add("atoms", crystal.GetAtomCount());
    r.Add("atom types", atomTypes(crystal));
    r.Add("density", Report(crystal.GetDensity() * kPerCubicCentimetre, 4));
}

void describeMolCrystal(KelDbMolCrystal& mcr, Report& r) {
    r.Add("name", trimmed(mcr.GetName()));
    r.Add("cell", cellReport(mcr));
    r.Add("volume", Report(mcr.GetVolume(), 4));
    r.Add("molecules", mcr.GetMolCount());
    r.Add("atoms", mcr.GetAtomCount());
    mcr.UpdateMolTypeList();
    Report& types = r.Add("molecule types", Report::List());
    for (int t = 0; t < mcr.GetMolTypeCount(); ++t) {
        const CString& name = *mcr.GetMolTypeAt(t);
        POSITION pos = mcr.GetMolHeadPosition(name.c_str());
        DbMolecule* first = mcr.GetMolNext(name.c_str(), pos);
        Report& entry = types.Push(Report());
        entry.Add("name", trimmed(name));
        entry.Add("molecules", mcr.GetMolCountOfType(name.c_str()));
        entry.Add("atoms each", first->GetAtomCount());
        entry.Add("bonds each", first->GetBondCount());
        first->UpdateAtomTypeList();
        std::string kinds;
        for (int a = 0; a < first->GetAtomTypeCount(); ++a)
            kinds += (kinds.empty() ? "" : " ") + trimmed(*first->GetAtomTypeAt(a));
        entry.Add("atom types", kinds);
    }
    r.Add("density", Report(mcr.GetDensity() * kPerCubicCentimetre, 4));
}

// Prints reports as they come: as text, one after the other; as JSON, a lone report as one
// object and several as a list, so only the first is held back.
class Printer {
public:
    explicit Printer(bool json) : m_json(json) {}

    void Print(const Report& r) {
        if (!m_json) {
            std::printf("%s%s", m_shown > 0 ? "\n" : "", r.Text().c_str());
        } else if (m_shown == 0) {
            m_first = r.Json();
        } else {
            if (m_shown == 1) std::printf("[%s", m_first.c_str());
            std::printf(",%s", r.Json().c_str());
        }
        ++m_shown;
    }

    void Finish() {
        if (!m_json) return;
        if (m_shown == 0) std::printf("[]\n");
        else if (m_shown == 1) std::printf("%s\n", m_first.c_str());
        else std::printf("]\n");
    }

private:
    bool m_json;
    int m_shown = 0;
    std::string m_first;
};

// One report per structure of the file (one per record of an SD file, read one at a time; a
// bad record is reported and passed over).
void describe(const std::string& path, const ReadOptions& options, Printer& printer) {
    if (IsSimulationPath(path)) {
        printer.Print(SimulationReport(path));
        return;
    }
    const FileFormat& format = FormatOf(path, options);
    auto report = [&](Structure& s, int record) {
        printer.Print(StructureReport(path, format, s, record));
    };
    ForEachStructure(path, format.kind, options, SdRecordReader::SKIP, report,
                     [](const FsException& e, int, int) {
                         std::fprintf(stderr, "qrtz: %s (record skipped)\n", e.Message().c_str());
                         ExitStatus() = 1;
                     });
}

} // namespace

Report StructureReport(const std::string& path, const FileFormat& format, Structure& s, int record) {
    Report r;
    r.Add("file", path);
    if (format.records) r.Add("record", record);
    r.Add("kind", KindName(format.kind));
    r.Add("format", format.name);
    switch (s.kind) {
    case Kind::molecule: describeMolecule(*s.molecule, r); break;
    case Kind::crystal: describeCrystal(*s.crystal, r); break;
    case Kind::molCrystal: describeMolCrystal(*s.molCrystal, r); break;
    }
    return r;
}

void AddInfoCommand(CLI::App& app) {
    auto* cmd = app.add_subcommand("info", "Show what structure files hold: kind, name, counts, "
                                           "types, cell, volume, density (g/cm3), centre of mass");
    auto files = std::make_shared<std::vector<std::string>>();
    auto json = std::make_shared<bool>(false);
    auto options = std::make_shared<ReadOptions>();
    cmd->add_option("files", *files, "Structure or simulation result files (.mol .cry .mcr .bdl .sdf .mop .qsf .sim)")->required();
    AddReadOptions(*cmd, *options);
    cmd->add_flag("--json", *json, "Machine-readable output: one object, or a list for several");
    cmd->callback([files, json, options] {
        Printer printer(*json);
        for (const std::string& path : *files) {
            try {
                describe(path, *options, printer);
            } catch (const KelException& e) {
                std::fprintf(stderr, "qrtz: %s\n", e.Message().c_str());
                ExitStatus() = 1;
            } catch (const ToolError& e) {
                std::fprintf(stderr, "qrtz: %s\n", e.what());
                ExitStatus() = 1;
            }
        }
        printer.Finish();
    });
}

} // namespace qrtz::tool
