// qrtz env: where the installation and the user's working area live, and the element styles.
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "Commands.h"
#include "Report.h"
#include "qrtzdb/environment/KelEnv.h"
#include "qrtzdb/environment/TblAtom.h"
#include "qrtzdb/platform/SettingsLock.h"

namespace qrtz::tool {

namespace {

const char* statusText(int status) {
    switch (status) {
    case KelEnv::DIR_OK: return "ok";
    case KelEnv::DIR_NOT_FOUND: return "registered but missing";
    case KelEnv::DIR_NOT_REGISTERED: return "not registered";
    case KelEnv::DIR_NOT_DIRECTORY: return "not a folder";
    case KelEnv::DIR_OLD_VERSION: return "only an older version's location is registered";
    default: return "unknown";
    }
}

Report triple(const float v[3]) {
    Report list = Report::List();
    for (int i = 0; i < 3; ++i) list.Push(Report(static_cast<double>(v[i]), 3));
    return list;
}

Report environment() {
    Report r;
    CString sysDir, sysIni, defIni;
    KelEnv::GetSystemEnv(sysDir, sysIni, defIni);
    Report& system = r.Add("system", Report());
    system.Add("folder", sysDir);
    system.Add("settings", sysIni);
    system.Add("defaults", defIni);
    system.Add("settings read", KelEnv::m_fileSysPath.empty() ? "no" : "yes");

    CString prvDir, prvIni;
    int status = 0;
    KelEnv::GetPrivateEnv(prvDir, status);
    Report& user = r.Add("working area", Report());
    user.Add("folder", prvDir);
    user.Add("status", statusText(status));
    KelEnv::GetPrivateEnv(prvDir, prvIni);
    user.Add("settings", prvIni);

    Report& dirs = r.Add("folders", Report());
    for (int t = 1; t < KelEnv::kDirCount; ++t) {
        if (t == KelEnv::DIR_SYS_END || KelEnv::paraDir[t].empty()) continue;
        dirs.Add(KelEnv::paraDir[t], KelEnv::GetDir(t));
    }
    Report& kinds = r.Add("file kinds", Report::List());
    for (int k = 0; k < KelEnv::kTailCount; ++k) kinds.Push(KelEnv::GetTail(k));

    Report& lights = r.Add("lights", Report::List());
    for (int n = 0; n < KelEnv::kLightSrcCount; ++n) {
        const LIGHTSRC& src = KelEnv::GetLightSrc(n);
        Report& light = lights.Push(Report());
        light.Add("source", n);
        light.Add("on", src.status ? "yes" : "no");
        light.Add("positional", src.local ? "yes" : "no");
        light.Add("position", triple(src.position));
        light.Add("diffuse", triple(src.diffuse));
    }
    return r;
}

Report elementStyle(int row) {
    Report r;
    int red, green, blue, alpha;
    TblAtom::GetColor(row).GetRgba(red, green, blue, alpha);
    r.Add("symbol", TblAtom::GetName(row));
    Report& colour = r.Add("color", Report::List());
    colour.Push(red);
    colour.Push(green);
    colour.Push(blue);
    r.Add("radius", Report(TblAtom::GetRadius(row), 4));
    r.Add("mass", Report(TblAtom::GetMass(row), 4));
    return r;
}

struct ElementOptions {
    std::string symbol;
    std::vector<int> color;
    double radius = -1.0;
    double mass = -1.0;
};

void element(const ElementOptions& o) {
    const bool change = !o.color.empty() || o.radius >= 0 || o.mass >= 0;
    CString dir, ini;
    KelEnv::GetPrivateEnv(dir, ini);
    // A change holds the settings lock from the read to the write, so that other processes
    // changing other elements at the same time lose nothing.
    std::optional<SettingsLock> lock;
    if (change) {
        if (ini.empty())
            throw ToolError("no working area is registered; create one with 'qrtz env init DIR'");
        lock.emplace(ini);
        if (!lock->IsHeld()) throw ToolError(lock->ErrorText());
    }
    KelEnv::Read();
    const int row = TblAtom::FindIndex(o.symbol.c_str());
    if (row < 0) throw ToolError("unknown element '" + o.symbol + "'");
    if (change) {
        if (!o.color.empty())
            TblAtom::SetColor(row, Color4V(o.color[0], o.color[1], o.color[2], 255));
        if (o.radius >= 0) TblAtom::SetRadius(row, o.radius);
        if (o.mass >= 0) TblAtom::SetMass(row, o.mass);
        if (!KelEnv::WritePrivate()) throw ToolError(ini + ": the settings could not be written");
    }
    std::fputs(elementStyle(row).Text().c_str(), stdout);
}

} // namespace

void AddEnvCommands(CLI::App& app) {
    auto* env = app.add_subcommand("env", "The installation, the working area and element styles");
    env->require_subcommand(1);

    auto json = std::make_shared<bool>(false);
    auto* show = env->add_subcommand("show", "Folders with their status, settings files, "
                                             "folder table, file kinds and lights");
    show->add_flag("--json", *json, "Machine-readable output");
    show->callback([json] {
        KelEnv::Read();
        Report r = environment();
        std::printf("%s", *json ? (r.Json() + "\n").c_str() : r.Text().c_str());
    });

    auto dir = std::make_shared<std::string>();
    auto links = std::make_shared<bool>(false);
    auto* init = env->add_subcommand("init", "Create a working area in DIR and register it");
    init->add_option("dir", *dir, "Folder of the working area (created when missing)")->required();
    init->add_flag("--links", *links, "Link the working folders to the installation's data");
    init->callback([dir, links] {
        if (!KelEnv::SetPrivateEnv(dir->c_str(), *links ? 1 : 0))
            throw ToolError(*dir + ": the working area could not be created");
        CString prvDir, prvIni;
        KelEnv::GetPrivateEnv(prvDir, prvIni);
        std::printf("working area: %s\nsettings: %s\n", prvDir.c_str(), prvIni.c_str());
    });

    auto o = std::make_shared<ElementOptions>();
    auto* elem = env->add_subcommand("element", "Show an element's style, or change it and "
                                                "save it in the working area's settings");
    elem->add_option("symbol", o->symbol, "Element symbol")->required();
    elem->add_option("--color", o->color, "Colour as R,G,B from 0 to 255")
        ->delimiter(',')
        ->expected(3)
        ->check(CLI::Range(0, 255));
    elem->add_option("--radius", o->radius, "Display radius in angstrom")->check(CLI::NonNegativeNumber);
    elem->add_option("--mass", o->mass, "Mass in atomic mass units")->check(CLI::NonNegativeNumber);
    elem->callback([o] { element(*o); });
}

} // namespace qrtz::tool
