// qrtz sim export: the frames of a simulation result file as extended XYZ, which ASE, OVITO
// and VMD (through its plugins) read: per frame the atom count, a comment line with the cell
// and the time, and one line per atom with its element and Cartesian position in ångström.
#include <cctype>
#include <cstdio>
#include <string>
#include <unistd.h>

#include <CLI/CLI.hpp>

#include "Commands.h"
#include "Structure.h"
#include "qrtzdb/basis/KelException.h"
#include "qrtzdb/model/DbCell.h"
#include "qrtzdb/platform/CFile.h"
#include "qrtzdb/simulation/KelDbSim.h"

namespace qrtz::tool {

namespace {

struct ExportOptions {
    std::string input, output;
    int every = 1;
};

// The element of an atom type name: its leading letters ("C 3", a united carbon, is "C").
std::string species(const char* name) {
    std::string s;
    for (const char* c = name; *c && std::isalpha(static_cast<unsigned char>(*c)) && s.size() < 2; ++c)
        s += *c;
    return s.empty() ? "X" : s;
}

// The cell of the loaded step in the orientation of its lattice constants (a along x, b in
// the xy-plane), the one every other writer of the library uses.
void standardCell(const KelDbSim& sim, double H[3][3]) {
    double file[3][3];
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) H[r][c] = file[r][c] = sim.m_fH[r][c];
    double a, b, c, alpha, beta, gamma;
    if (DbCell::GetLatticeConstants(file, a, b, c, alpha, beta, gamma))
        DbCell(a, b, c, alpha, beta, gamma).GetHmatrix(H);
}

void exportXyz(const ExportOptions& o) {
    if (o.every < 1) throw ToolError("--every takes a positive frame interval");
    CFile64 file(o.input.c_str(), CFile::modeRead);
    KelDbSim sim;
    sim.SetWarningSink([&o](const CString& m) {
        std::fprintf(stderr, "qrtz: warning: %s: %s\n", o.input.c_str(), m.c_str());
    });
    try {
        sim.ReadHead(&file);
    } catch (const KelException& e) {
        throw ToolError(o.input + ": " + e.Message());
    }
    int written = 0;
    WithOutput(o.output, [&](FileStream& out) {
        for (int step = 1; step <= sim.m_nStepCount; step += o.every) {
            try {
                sim.ReadStep(&file, step);
            } catch (const KelException& e) {
                throw ToolError(o.input + ": step " + std::to_string(step) + ": " + e.Message());
            }
            double H[3][3];
            standardCell(sim, H);
            out.WriteLine("%d", sim.m_nCurAtomCount);
            out.WriteLine("Lattice=\"%.6f %.6f %.6f %.6f %.6f %.6f %.6f %.6f %.6f\" "
                          "Properties=species:S:1:pos:R:3 Time=%.6g frame=%d pbc=\"T T T\"",
                          H[0][0], H[1][0], H[2][0], H[0][1], H[1][1], H[2][1], H[0][2],
                          H[1][2], H[2][2], static_cast<double>(sim.m_pfTime[static_cast<std::size_t>(step - 1)]),
                          step);
            // Atoms in the file's order: type, molecule, atom.
            std::size_t g = 0;
            const auto n = static_cast<std::size_t>(sim.m_nCurAtomCount);
            for (std::size_t t = 0; t < sim.m_pnMolCount.size(); ++t)
                for (int k = 0; k < sim.m_pnMolCount[t]; ++k)
                    for (const auto& name : sim.m_ppAtomName[t]) {
                        if (g >= n) break;
                        const double x = sim.m_pfX[g], y = sim.m_pfY[g], z = sim.m_pfZ[g];
                        out.WriteLine("%-2s %14.6f %14.6f %14.6f", species(name.c_str()).c_str(),
                                      H[0][0] * x + H[0][1] * y + H[0][2] * z,
                                      H[1][0] * x + H[1][1] * y + H[1][2] * z,
                                      H[2][0] * x + H[2][1] * y + H[2][2] * z);
                        ++g;
                    }
            if (g != n)
                throw ToolError(o.input + ": step " + std::to_string(step) + " holds " +
                                std::to_string(n) + " atoms, its molecule counts " +
                                std::to_string(g));
            ++written;
        }
    });
    std::printf("%s: %d frames of %s\n", o.output.c_str(), written, o.input.c_str());
}

} // namespace

void AddSimExportCommand(CLI::App& sim) {
    auto o = std::make_shared<ExportOptions>();
    auto* ex = sim.add_subcommand("export", "Write the frames as extended XYZ (ASE, OVITO, VMD)");
    ex->add_option("run", o->input, "Simulation result file")->required();
    ex->add_option("-o,--output", o->output, "Output file (.xyz, extended XYZ)")->required();
    ex->add_option("--every", o->every, "Write every k-th frame (default 1: all)");
    ex->callback([o] { exportXyz(*o); });
}

} // namespace qrtz::tool
