// SimFileContents::ReadInpInfo, the simulator's input file read against a loaded result file.
// The first byte picks one of the result files made at start-up (they differ in atom and type
// counts and byte order); the rest is the input file. The input has no writer of its own.
#include <fstream>
#include <memory>

#include "FuzzSupport.h"
#include "SimFileWriter.h"
#include "qrtzdb/simulation/KelDbSim.h"

using namespace qrtz;
using namespace qrtz::simtest;

namespace {

std::string path;
std::vector<std::unique_ptr<KelDbSim>> loaded;

// count types of one atom each plus, when water, a three-atom type with two bonds.
SimFileDef Header(int count, bool water, bool swap) {
    SimFileDef d;
    d.swap = swap;
    d.total = d.last = 1;
    if (water)
        d.types.push_back({"WAT", 2, {{"O", 16.0f, -0.8f, 8}, {"H", 1.0f, 0.4f, 1}, {"H", 1.0f, 0.4f, 1}},
                           {{1, 2, "1 "}, {1, 3, "1 "}}});
    for (int t = 0; t < count; ++t) d.types.push_back({"AR" + std::to_string(t), 1, {{"Ar", 40.0f, 0.0f, 18}}, {}});
    d.frames.emplace_back();
    return d;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const std::string dir = fuzz::TempDir("inpfuzz");
    path = dir + "/input.inp";
    for (const SimFileDef& d : {Header(1, false, false), Header(2, true, false), Header(3, true, true)}) {
        const std::string sim = dir + "/loaded.sim";
        {
            std::ofstream out(sim, std::ios::binary | std::ios::trunc);
            out << WriteSimFile(d);
        }
        CFile64 file(sim.c_str(), CFile::modeRead);
        loaded.push_back(std::make_unique<KelDbSim>());
        loaded.back()->ReadHead(&file);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    KelDbSim& sim = *loaded[data[0] % loaded.size()];
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data + 1), static_cast<std::streamsize>(size - 1));
    }
    CFile file;
    if (!file.Open(path.c_str(), CFile::modeRead)) std::abort();
    if (!fuzz::Survives([&] { sim.ReadInpInfo(&file); })) return 0;
    const auto atoms = static_cast<std::size_t>(sim.m_nAtomCount);
    if (sim.m_pnInpFlag.size() != atoms || sim.m_pdInpVecBZ.size() != atoms) std::abort();
    return 0;
}
