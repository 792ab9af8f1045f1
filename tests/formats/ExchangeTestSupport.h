#pragma once
// Helpers of the exchange format tests: the hand-written formyl chloride, and Open Babel run
// as an independent reader and writer of SD files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "qrtzdb/formats/KelDbMolecule.h"

namespace qrtz::testing {

// HC(=O)Cl with partial charges, as tests/data/formyl-chloride.* hold it.
inline void formylChloride(KelDbMolecule& mol) {
    mol.SetName("HCOCl");
    const struct {
        const char* name;
        Vertex3D r;
        double charge;
    } atoms[] = {{"C   ", {0, 0, 0}, 0.25},
                 {"O   ", {1.19, 0, 0}, -0.35},
                 {"Cl  ", {-0.9, 1.55, 0}, -0.05},
                 {"H   ", {-0.55, -0.95, 0}, 0.15}};
    for (const auto& a : atoms) mol.AppendAtom(mol.CreateDbAtomV(a.name, a.r, 1.0, a.charge, 1.0));
    mol.AppendBond(mol.CreateDbBondV("2 ", 1, 2));
    mol.AppendBond(mol.CreateDbBondV("1 ", 1, 3));
    mol.AppendBond(mol.CreateDbBondV("1 ", 1, 4));
    mol.UpdateAtomTypeList();
    mol.UpdateBondTypeList();
}

inline bool haveObabel() { return std::system("command -v obabel >/dev/null 2>&1") == 0; }

// Open Babel's output for input in the format `from` converted to `to`.
inline std::string obabel(const std::string& input, const char* from, const char* to) {
    static int serial = 0;
    const auto dir = std::filesystem::temp_directory_path();
    const std::string stem = "qrtz-obabel-" + std::to_string(::getpid()) + "-" + std::to_string(++serial);
    const auto in = dir / (stem + "." + from), out = dir / (stem + "." + to);
    std::ofstream(in, std::ios::binary) << input;
    const std::string command = "obabel -i" + std::string(from) + " '" + in.string() + "' -o" + to +
                                " -O '" + out.string() + "' >/dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    std::stringstream text;
    text << std::ifstream(out, std::ios::binary).rdbuf();
    std::filesystem::remove(in);
    std::filesystem::remove(out);
    return text.str();
}

struct XyzAtom {
    std::string symbol;
    Vertex3D r;
};

inline std::vector<XyzAtom> parseXyz(const std::string& text) {
    std::istringstream in(text);
    int count = 0;
    std::string line;
    in >> count;
    std::getline(in, line);
    std::getline(in, line);  // title
    std::vector<XyzAtom> atoms;
    for (int i = 0; i < count && std::getline(in, line); ++i) {
        std::istringstream fields(line);
        XyzAtom a;
        fields >> a.symbol >> a.r.x >> a.r.y >> a.r.z;
        atoms.push_back(a);
    }
    return atoms;
}

struct SdBond {
    int first, second, order;
    bool operator==(const SdBond&) const = default;
};

// The bond block of the first record of an SD file, read by its columns.
inline std::vector<SdBond> sdBonds(const std::string& text) {
    std::istringstream in(text);
    std::string line;
    for (int i = 0; i < 4; ++i) std::getline(in, line);
    const int atoms = std::stoi(line.substr(0, 3)), bonds = std::stoi(line.substr(3, 3));
    for (int i = 0; i < atoms; ++i) std::getline(in, line);
    std::vector<SdBond> out;
    for (int i = 0; i < bonds && std::getline(in, line); ++i)
        out.push_back({std::stoi(line.substr(0, 3)), std::stoi(line.substr(3, 3)), std::stoi(line.substr(6, 3))});
    return out;
}

} // namespace qrtz::testing
