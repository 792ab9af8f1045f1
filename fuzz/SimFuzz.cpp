// A simulation result file: KelDbSim::ReadHead, then ReadStep of the first, a middle and the
// last frame, each followed by UpdateMcr, then a small CreateTraj. The first byte's low bits
// choose the axes UpdateMcr and CreateTraj wrap along; the rest is the file. The crystal of the
// last step shown is written with WriteMcrdb and must read with ReadMcrdb.
#include <algorithm>
#include <fstream>

#include "FuzzSupport.h"
#include "qrtzdb/simulation/KelDbSim.h"

using namespace qrtz;

namespace {

std::string path;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    path = fuzz::TempDir("simfuzz") + "/input.sim";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const int px = data[0] & 1, py = (data[0] >> 1) & 1, pz = (data[0] >> 2) & 1;
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data + 1), static_cast<std::streamsize>(size - 1));
    }
    CFile64 file;
    if (!file.Open(path.c_str(), CFile::modeRead)) std::abort();
    KelDbSim sim;
    if (!fuzz::Survives([&] { sim.ReadHead(&file); })) return 0;

    const int last = sim.m_nStepCount;
    for (int step : {1, (last + 1) / 2, last})
        fuzz::Survives([&] {
            sim.ReadStep(&file, step);
            sim.UpdateMcr(px, py, pz);
        });
    if (last >= 2) fuzz::Survives([&] { sim.CreateTraj(&file, 0, last, std::min(last, 4), px, py, pz); });

    KelDbMolCrystal again;
    fuzz::WrittenMustRead([&](FileStream& out) { sim.WriteMcrdb(out); },
                          [&](FileStream& in) { again.ReadMcrdb(in); });
    return 0;
}
