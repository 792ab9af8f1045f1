// qrtz sim: simulation result files: header, thermodynamic series, frames and trajectories.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <unistd.h>

#include <CLI/CLI.hpp>

#include "Commands.h"
#include "ThermoSeries.h"
#include "Report.h"
#include "Structure.h"
#include "qrtzdb/basis/KelException.h"
#include "qrtzdb/platform/CFile.h"
#include "qrtzdb/simulation/KelDbSim.h"
#include "qrtzdb/simulation/MagicNo.h"

namespace qrtz::tool {

namespace {

// An opened result file with its header read; warnings go to standard error, and a progress
// line shows while a large file is scanned when standard error is a terminal.
struct OpenRun {
    explicit OpenRun(const std::string& path) : file(path.c_str(), CFile::modeRead) {
        sim.SetWarningSink([path](const CString& m) {
            std::fprintf(stderr, "qrtz: warning: %s: %s\n", path.c_str(), m.c_str());
        });
        const bool terminal = ::isatty(STDERR_FILENO) == 1;
        if (terminal) {
            sim.SetProgressSink([last = -1](int scanned, int total) mutable {
                const int percent = total > 0 ? static_cast<int>(100LL * scanned / total) : 100;
                if (percent == last) return;
                last = percent;
                std::fprintf(stderr, "\rscanning frames %3d%% (%d of %d)", percent, scanned, total);
                std::fflush(stderr);
            });
        }
        try {
            sim.ReadHead(&file);
        } catch (const KelException& e) {
            if (terminal) std::fputc('\n', stderr);
            throw ToolError(path + ": " + e.Message());
        }
        if (terminal) std::fprintf(stderr, "\r%60s\r", "");
    }
    CFile64 file;
    KelDbSim sim;
};

// "xyz", "xz", "" ... into periodic-wrap flags.
void wrapFlags(const std::string& axes, int& px, int& py, int& pz) {
    for (char c : axes)
        if (c != 'x' && c != 'y' && c != 'z')
            throw CLI::ValidationError("--wrap", "axes are letters among x, y and z");
    px = axes.find('x') != std::string::npos;
    py = axes.find('y') != std::string::npos;
    pz = axes.find('z') != std::string::npos;
}

std::string trimmed(const char* text) {
    std::string s = text;
    s.erase(s.find_last_not_of(' ') + 1);
    return s;
}

Report header(const std::string& path, const KelDbSim& sim) {
    Report r;
    r.Add("file", path);
    r.Add("title", trimmed(sim.m_szTitle));
    r.Add("variant", sim.m_bSp ? "Sp (variable population)" : "Bk (fixed population)");
    r.Add("format", MagicNo::IsSimV4OrAfter(sim.m_nMagicNo) ? "version 4" : "before version 4");
    r.Add("atoms", sim.m_nAtomCount);
    Report& types = r.Add("molecule types", Report::List());
    for (int t = 0; t < sim.m_nMolTypeCount; ++t) {
        Report& type = types.Push(Report());
        type.Add("name", trimmed(sim.m_ppMolTypeName[t]));
        type.Add("molecules", sim.m_pnMolCount0[t]);
        type.Add("atoms each", sim.m_pnMolAtomCount[t]);
        type.Add("bonds each", sim.m_pnMolBondCount[t]);
    }
    r.Add("time step fs", Report(sim.m_fDt, 4));
    r.Add("steps", Report(std::to_string(sim.m_nStartStep) + " to " + std::to_string(sim.m_nEndStep) +
                          " every " + std::to_string(sim.m_nInterval)));
    r.Add("frames", sim.m_nStepCount);
    if (sim.m_nDeclaredStepCount != sim.m_nStepCount) r.Add("frames promised", sim.m_nDeclaredStepCount);
    r.Add("thermodynamic quantities", sim.m_nThermoCount);
    if (sim.m_nStepCount > 0 && !sim.m_pfTime.empty()) {
        r.Add("time from ps", Report(sim.m_pfTime.front(), 4));
        r.Add("time to ps", Report(sim.m_pfTime[static_cast<std::size_t>(sim.m_nStepCount - 1)], 4));
    }
    return r;
}

void thermo(const std::string& path, bool csv) {
    OpenRun run(path);
    const KelDbSim& sim = run.sim;
    const int quantities = std::max(sim.m_nThermoCount, 12);
    const char* sep = csv ? "," : " ";
    auto cell = [csv](const std::string& s) {
        char buf[32];
        std::snprintf(buf, sizeof buf, csv ? "%s" : "%14s", s.c_str());
        return std::string(buf);
    };
    std::string line = cell("frame") + sep + cell("time_ps");
    for (int q = 0; q < quantities; ++q) line += sep + cell(QuantityName(q));
    line += sep + cell("density_g_cm3");
    std::printf("%s\n", line.c_str());
    for (int f = 0; f < sim.m_nStepCount; ++f) {
        const auto i = static_cast<std::size_t>(f);
        char value[32];
        auto number = [&](double v) {
            std::snprintf(value, sizeof value, csv ? "%.7g" : "%14.6g", v);
            return std::string(value);
        };
        line = cell(std::to_string(f + 1)) + sep + number(sim.m_pfTime[i]);
        for (int q = 0; q < quantities; ++q) line += sep + number(sim.m_ppfThermo[static_cast<std::size_t>(q)][i]);
        line += sep + number(static_cast<double>(sim.m_pfDensity[i]) * 1e24);
        std::printf("%s\n", line.c_str());
    }
}

void frame(const std::string& path, int step, const std::string& output, const std::string& wrap) {
    const FileFormat& target = FormatOf(output);
    if (target.kind != Kind::molCrystal)
        throw ToolError(output + ": a frame is written as .mcr or .bdl");
    int px, py, pz;
    wrapFlags(wrap, px, py, pz);
    OpenRun run(path);
    if (step < 0 || step > run.sim.m_nStepCount)
        throw ToolError(path + ": step " + std::to_string(step) + " is not between 0 and " +
                        std::to_string(run.sim.m_nStepCount));
    try {
        run.sim.ReadStep(&run.file, step);
    } catch (const KelException& e) {
        throw ToolError(path + ": step " + std::to_string(step) + ": " + e.Message());
    }
    run.sim.UpdateMcr(px, py, pz);
    Structure s;
    s.kind = Kind::molCrystal;
    s.molCrystal = std::shared_ptr<KelDbMolCrystal>(&run.sim, [](KelDbMolCrystal*) {});
    WriteStructure(s, output, target);
    std::printf("%s: step %d, %d molecules, %d atoms\n", output.c_str(), step,
                run.sim.GetMolCount(), run.sim.GetAtomCount());
}

struct TrajOptions {
    std::string input, output, wrap;
    int first = 0, last = -1, count = 2;
};

void trajectory(const TrajOptions& o) {
    int px, py, pz;
    wrapFlags(o.wrap, px, py, pz);
    OpenRun run(o.input);
    KelDbSim& sim = run.sim;
    const int last = o.last < 0 ? sim.m_nStepCount : o.last;
    if (o.first < 0 || last > sim.m_nStepCount || o.first == last || o.count < 2 ||
        o.count > sim.m_nStepCount)
        throw ToolError(o.input + ": a trajectory needs 0 <= first, last <= " +
                        std::to_string(sim.m_nStepCount) +
                        ", first != last and 2 <= count <= the frame count");
    try {
        sim.CreateTraj(&run.file, o.first, last, o.count, px, py, pz);
    } catch (const KelException& e) {
        throw ToolError(o.input + ": " + e.Message());
    }
    WithOutput(o.output, [&](FileStream& out) {
        out.WriteText("line,name,point,fx,fy,fz,image_a,image_b,image_c,segment");
        int index = 0;
        for (POSITION pos = sim.m_traj.GetTrajHeadPosition(); pos; ++index) {
            const DbTrajLine* line = sim.m_traj.GetTrajNext(pos);
            const std::string name = trimmed(line->GetName().c_str());
            for (int p = 0; p < line->pointCount; ++p) {
                const DbTrajPoint& pt = line->points[p];
                out.WriteLine("%d,%s,%d,%.6f,%.6f,%.6f,%d,%d,%d,%d", index + 1, name.c_str(), p,
                              pt.position.x, pt.position.y, pt.position.z, pt.imageA, pt.imageB,
                              pt.imageC, pt.segmentFlag);
            }
        }
    });
    std::printf("%s: %d lines of %d points, steps %d to %d\n", o.output.c_str(),
                sim.m_traj.GetTrajCount(), o.count, o.first, last);
}

} // namespace

Report SimulationReport(const std::string& path) {
    OpenRun run(path);
    return header(path, run.sim);
}

bool IsSimulationPath(const std::string& path) {
    return path.size() > 4 && path.compare(path.size() - 4, 4, ".sim") == 0;
}

void AddSimCommands(CLI::App& app) {
    auto* sim = app.add_subcommand("sim", "Simulation result files: header, series, frames, trajectories");
    sim->require_subcommand(1);

    auto path = std::make_shared<std::string>();
    auto json = std::make_shared<bool>(false);
    auto* info = sim->add_subcommand("info", "Header, molecule types, atoms, frame count and time span");
    info->add_option("run", *path, "Simulation result file")->required();
    info->add_flag("--json", *json, "Machine-readable output");
    info->callback([path, json] {
        Report r = SimulationReport(*path);
        std::printf("%s", *json ? (r.Json() + "\n").c_str() : r.Text().c_str());
    });

    auto csv = std::make_shared<bool>(false);
    auto* th = sim->add_subcommand("thermo", "The thermodynamic series: one row per frame with "
                                             "time, quantities, lattice constants and density");
    th->add_option("run", *path, "Simulation result file")->required();
    th->add_flag("--csv", *csv, "Comma-separated values");
    th->callback([path, csv] { thermo(*path, *csv); });

    struct FrameOptions {
        std::string input, output, wrap;
        int step = 0;
    };
    auto fo = std::make_shared<FrameOptions>();
    auto* fr = sim->add_subcommand("frame", "Write one frame (0: the initial structure) as a "
                                            "molecular crystal");
    fr->add_option("run", fo->input, "Simulation result file")->required();
    fr->add_option("step", fo->step, "Frame number, 0 for the initial structure")->required();
    fr->add_option("-o,--output", fo->output, "Output file (.mcr or .bdl)")->required();
    fr->add_option("--wrap", fo->wrap, "Axes along which molecules are put back into the cell, e.g. xyz");
    fr->callback([fo] { frame(fo->input, fo->step, fo->output, fo->wrap); });

    auto to = std::make_shared<TrajOptions>();
    auto* tr = sim->add_subcommand("traj", "Sample the paths of molecules and atoms into a CSV file");
    tr->add_option("run", to->input, "Simulation result file")->required();
    tr->add_option("--first", to->first, "First step (0: the initial structure)");
    tr->add_option("--last", to->last, "Last step (default: the last frame)");
    tr->add_option("--count", to->count, "Number of points per path")->required();
    tr->add_option("--wrap", to->wrap, "Axes along which paths are put back into the cell, e.g. xyz");
    tr->add_option("-o,--output", to->output, "Output CSV file")->required();
    tr->callback([to] { trajectory(*to); });

    AddSimPlotCommand(*sim);
    AddSimExportCommand(*sim);
}

} // namespace qrtz::tool
