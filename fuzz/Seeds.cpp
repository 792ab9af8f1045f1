// Writes the seed corpora of SimFuzz, InpFuzz and ClipFormsFuzz into the folder given (one
// subfolder per target): result and input files from the test writer in each layout the reader
// knows, and the clipboard blocks that UDataTransEx offers for the bundled examples.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "SimFileWriter.h"
#include "qrtzdb/basis/KelException.h"
#include "qrtzdb/clipboard/UDataTrans.h"

using namespace qrtz;
using namespace qrtz::simtest;
namespace fs = std::filesystem;

namespace {

fs::path root;

void Seed(const std::string& target, const std::string& name, unsigned char first,
          const std::string& bytes) {
    fs::create_directories(root / target);
    std::ofstream out(root / target / name, std::ios::binary | std::ios::trunc);
    out.put(static_cast<char>(first));
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Two water molecules and an ion moving over frames frames.
SimFileDef Water(int magic, int frames) {
    SimFileDef d;
    d.magic = magic;
    d.total = d.last = frames;
    d.types = {{"WAT", 2, {{"O", 16.0f, -0.8f, 8}, {"H", 1.0f, 0.4f, 1}, {"H", 1.0f, 0.4f, 1}},
                {{1, 2, "1 "}, {1, 3, "1 "}}},
               {"NA", 1, {{"Na", 23.0f, 1.0f, 11}}, {}}};
    for (int i = 0; i < 7; ++i) {
        d.x0.push_back(0.1f * static_cast<float>(i) - 0.3f);
        d.y0.push_back(0.05f * static_cast<float>(i));
        d.z0.push_back(0.45f);
    }
    for (int k = 1; k <= frames; ++k) {
        FrameDef f;
        f.cell[0] = 10.0f + static_cast<float>(k);
        f.x = d.x0;
        f.y = d.y0;
        f.z = d.z0;
        f.x[6] += 0.2f * static_cast<float>(k);
        f.vx = std::vector<float>(7, 0.002f);
        f.ep = std::vector<float>(7, -1.5f);
        d.frames.push_back(f);
    }
    return d;
}

void SimSeeds() {
    Seed("SimFuzz", "bk", 7, WriteSimFile(Water(MagicNo::GetSimMagicNo4Bk(), 3)));
    SimFileDef swapped = Water(MagicNo::GetSimMagicNo4Bk(), 3);
    swapped.swap = true;
    Seed("SimFuzz", "bk-swapped", 1, WriteSimFile(swapped));
    SimFileDef sp = Water(MagicNo::GetSimMagicNo4Sp(), 3);
    sp.frames[1].atomCount = 4;
    sp.frames[1].molCounts = {1, 1};
    Seed("SimFuzz", "sp-counts", 6, WriteSimFile(sp));
    SimFileDef v4 = Water(MagicNo::GetSimMagicNo4Bk(), 2);
    v4.thermoCount = 21;
    v4.extraCount = 6;
    v4.skipCount = 2;
    v4.coordRecCount = 4;
    Seed("SimFuzz", "v4-extra", 3, WriteSimFile(v4));
    SimFileDef oldest = Water(0, 2);
    oldest.oldest = true;
    Seed("SimFuzz", "oldest", 0, WriteSimFile(oldest));
    SimFileDef cut = Water(MagicNo::GetSimMagicNo4Bk(), 3);
    std::string bytes = WriteSimFile(cut);
    Seed("SimFuzz", "cut", 7, bytes.substr(0, bytes.size() - 40));
}

// Input files that agree with the three result files InpFuzz loads.
void InpSeeds() {
    InpFileDef one;
    one.types = {{1, 0, 1}};
    one.atoms = {{1, {0.5, 0, 0}, {0, 0, 1}}};
    Seed("InpFuzz", "one-atom", 0, WriteInpFile(one));
    InpFileDef water;
    water.types = {{3, 2, 2}, {1, 0, 1}, {1, 0, 1}};
    for (int i = 0; i < 8; ++i) water.atoms.push_back({i % 2, {0.1 * i, 0, 0}, {0, 0.2 * i, 0}});
    Seed("InpFuzz", "water", 1, WriteInpFile(water));
    water.swap = true;
    water.types.push_back({1, 0, 1});
    water.atoms.push_back({1, {1, 2, 3}, {4, 5, 6}});
    Seed("InpFuzz", "water-swapped", 2, WriteInpFile(water));
}

template <class Read>
void ReadFile(const std::string& path, Read read) {
    std::ifstream is(path, std::ios::binary);
    FileStream in(is);
    in.SetName(path.c_str());
    read(in);
}

// Each block source offers, as a seed of its form (unite in the first byte where it matters).
void SeedBlocks(COleDataSource* source, const std::string& name) {
    if (!source->SetClipboard()) throw std::runtime_error("the clipboard store cannot be written");
    COleDataObject object;
    if (!object.AttachClipboard()) throw std::runtime_error("the clipboard cannot be read");
    for (int f = 0; f < UDataTransEx::kFormatCount; ++f) {
        const auto form = static_cast<UDataTransEx::UDFORMAT>(f);
        HGLOBAL block = object.GetGlobalData(UDataTransEx::GetCbFormId(form));
        if (!block) continue;
        const std::string bytes(static_cast<const char*>(GlobalLock(block)), GlobalSize(block));
        GlobalUnlock(block);
        Seed("ClipFormsFuzz", name + "-" + UDataTransEx::m_strFormName[f], static_cast<unsigned char>(f), bytes);
        if (form == UDataTransEx::UDF_MOLDATA) {
            Seed("ClipFormsFuzz", name + "-3DMolData1-unite", UDataTransEx::UDF_MOLDATA1 | 8, bytes);
            Seed("ClipFormsFuzz", name + "-3DMolData2", UDataTransEx::UDF_MOLDATA2, bytes);
        }
    }
}

void ClipSeeds(const fs::path& examples) {
    UDataTransEx::Init();
    UDataTransEx trans;
    for (const char* name : {"benzene", "water"}) {
        KelDbMolecule mol;
        ReadFile((examples / (std::string(name) + ".mol")).string(), [&](FileStream& in) { mol.ReadMoldb(in); });
        auto* source = new COleDataSource;
        trans.SetData(source, &mol, Vertex3D(1.5, -2.0, 0.25));
        trans.SetTime(source);
        SeedBlocks(source, name);
    }
    const KelDbAtomV argon("Ar", Vertex3D(1.25, -0.5, 3.0), 39.948, 0.0, 1.88);
    auto* atom = new COleDataSource;
    trans.SetData(atom, &argon);
    SeedBlocks(atom, "argon");

    KelDbMolCrystal mcr;
    ReadFile((examples / "mixture.mcr").string(), [&](FileStream& in) { mcr.ReadMcrdb(in); });
    auto* source = new COleDataSource;
    trans.SetData(source, &mcr, Vertex3D());
    SeedBlocks(source, "mixture");
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s CORPUS-DIR EXAMPLES-DIR\n", argv[0]);
        return 2;
    }
    root = argv[1];
    const fs::path store = fs::temp_directory_path() / "qrtz-fuzz-seeds-clipboard";
    ::setenv("QRTZ_CLIPBOARD", store.c_str(), 1);
    try {
        SimSeeds();
        InpSeeds();
        ClipSeeds(argv[2]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    } catch (const KelException& e) {
        char message[512] = "";
        e.GetErrorMessage(message, sizeof message);
        std::fprintf(stderr, "%s\n", message);
        return 1;
    }
    fs::remove_all(store);
    return 0;
}
