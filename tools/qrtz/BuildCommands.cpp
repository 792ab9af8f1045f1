// qrtz build and qrtz supercell: molecular crystals on cubic lattices, and supercells.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

#include <CLI/CLI.hpp>

#include "Commands.h"
#include "Structure.h"
#include "qrtzdb/basis/Calc.h"
#include "qrtzdb/environment/TblAtom.h"
#include "qrtzdb/formats/KelDbAtomV.h"

namespace qrtz::tool {

namespace {

// Nearest-neighbour distance used when no lattice constant is given: 3 Å between atoms, and
// 3 Å of room between the outermost atoms of two molecules.
constexpr double kDefaultGap = 3.0;

struct Lattice {
    const char* name;
    double nearestPerConstant;  // nearest-neighbour distance of a lattice of constant 1
};

const Lattice kLattices[] = {
    {"sc", 1.0}, {"fcc", std::sqrt(0.5)}, {"bcc", std::sqrt(3.0) / 2}, {"dia", std::sqrt(3.0) / 4}};

struct BuildOptions {
    std::string lattice;
    std::string atom;
    std::string molecule;
    int n = 1;
    double cell = 0.0;
    std::vector<double> euler;
    bool random = false;
    unsigned long long seed = 1;
    std::string output;
};

// The largest distance of an atom from the molecule's centre of mass.
double radiusOf(const DbMolecule& mol) {
    const Vertex3D centre = mol.GetCenterOfMass();
    double r = 0.0;
    for (POSITION pos = mol.GetAtomHeadPosition(); pos;)
        r = std::max(r, (mol.GetAtomNext(pos)->position - centre).GetAbsolute());
    return r;
}

void fill(KelDbMolCrystal& mcr, const std::string& lattice, DbAtomV* atom, int n) {
    if (lattice == "sc") mcr.CreateSc(atom, n);
    else if (lattice == "fcc") mcr.CreateFcc(atom, n);
    else if (lattice == "bcc") mcr.CreateBcc(atom, n);
    else mcr.CreateDia(atom, n);
}

void fill(KelDbMolCrystal& mcr, const std::string& lattice, DbMolecule* mol, int n,
          const std::array<double, 3>& e) {
    if (lattice == "sc") mcr.CreateSc(mol, n, e[0], e[1], e[2]);
    else if (lattice == "fcc") mcr.CreateFcc(mol, n, e[0], e[1], e[2]);
    else if (lattice == "bcc") mcr.CreateBcc(mol, n, e[0], e[1], e[2]);
    else mcr.CreateDia(mol, n, e[0], e[1], e[2]);
}

void build(const BuildOptions& o) {
    const FileFormat& target = FormatOf(o.output);
    if (target.kind != Kind::molCrystal)
        throw ToolError(o.output + ": a built structure is written as .mcr or .bdl");
    const Lattice& lattice =
        *std::find_if(std::begin(kLattices), std::end(kLattices),
                      [&](const Lattice& l) { return o.lattice == l.name; });

    Structure s;
    s.kind = Kind::molCrystal;
    s.molCrystal = std::make_unique<KelDbMolCrystal>();
    KelDbMolCrystal& mcr = *s.molCrystal;

    std::unique_ptr<KelDbAtomV> atom;
    Structure mol;
    double nearest = kDefaultGap;
    std::string species;
    if (!o.atom.empty()) {
        const int row = TblAtom::FindIndex(o.atom.c_str());
        if (row < 0) throw ToolError("unknown element '" + o.atom + "'");
        atom = std::make_unique<KelDbAtomV>(o.atom.c_str(), Vertex3D(), TblAtom::GetMass(row), 0.0,
                                            TblAtom::GetRadius(row));
        species = atom->GetName();
    } else {
        mol = ReadAs(o.molecule, Kind::molecule);
        nearest = 2 * radiusOf(*mol.molecule) + kDefaultGap;
        species = mol.molecule->GetName();
    }
    species.erase(species.find_last_not_of(' ') + 1);

    const double constant = o.cell > 0 ? o.cell : nearest / lattice.nearestPerConstant;
    const double edge = constant * o.n;
    mcr.a = mcr.b = mcr.c = edge;
    mcr.alpha = mcr.beta = mcr.gamma = 90.0;
    mcr.SetName((o.lattice + "-" + species).c_str());

    if (atom) {
        fill(mcr, o.lattice, atom.get(), o.n);
    } else {
        std::array<double, 3> angles = {0.0, 0.0, 0.0};
        if (o.random) {
            Calc::SetRandomSeed(o.seed);
            angles = {-1.0, -1.0, -1.0};
        } else if (!o.euler.empty()) {
            for (double a : o.euler)
                if (a < 0) throw ToolError("Euler angles are given in [0, 360) degrees");
            angles = {o.euler[0], o.euler[1], o.euler[2]};
        }
        fill(mcr, o.lattice, mol.molecule.get(), o.n, angles);
    }
    WriteStructure(s, o.output, target);
    std::printf("%s: %d molecules, %d atoms, cubic cell %.4f A\n", o.output.c_str(),
                mcr.GetMolCount(), mcr.GetAtomCount(), edge);
}

} // namespace

void AddBuildCommands(CLI::App& app) {
    auto o = std::make_shared<BuildOptions>();
    auto* cmd = app.add_subcommand(
        "build", "Fill a cubic cell with copies of an atom or a molecule on a lattice");
    cmd->add_option("lattice", o->lattice, "sc, fcc, bcc or dia")
        ->required()
        ->check(CLI::IsMember({"sc", "fcc", "bcc", "dia"}));
    auto* atom = cmd->add_option("--atom", o->atom, "Element symbol of the atoms");
    auto* mol = cmd->add_option("--molecule", o->molecule, "Molecular database file (.mol)");
    atom->excludes(mol);
    cmd->add_option("-n", o->n, "Lattice cells along each axis")->required()->check(CLI::Range(1, 1000));
    cmd->add_option("--cell", o->cell,
                    "Lattice constant of one cubic cell in angstrom (default: neighbours 3 A apart)")
        ->check(CLI::PositiveNumber);
    auto* euler = cmd->add_option("--euler", o->euler, "Orientation of every molecule: phi theta psi")
                      ->expected(3);
    auto* random = cmd->add_flag("--random-orientation", o->random,
                                 "A random orientation for every molecule");
    euler->excludes(random);
    cmd->add_option("--seed", o->seed, "Seed of the random orientations")->needs(random);
    cmd->add_option("-o,--output", o->output, "Output file (.mcr or .bdl)")->required();
    cmd->callback([o, atom, mol] {
        if (atom->count() + mol->count() != 1)
            throw CLI::ValidationError("build", "give exactly one of --atom and --molecule");
        build(*o);
    });

    struct SupercellOptions {
        std::string input, output;
        int nx = 1, ny = 1, nz = 1;
    };
    auto so = std::make_shared<SupercellOptions>();
    auto* sc = app.add_subcommand("supercell", "Repeat a molecular crystal NX x NY x NZ times");
    sc->add_option("input", so->input, "Molecular crystal (.mcr or .bdl)")->required();
    sc->add_option("nx", so->nx)->required()->check(CLI::Range(1, 1000));
    sc->add_option("ny", so->ny)->required()->check(CLI::Range(1, 1000));
    sc->add_option("nz", so->nz)->required()->check(CLI::Range(1, 1000));
    sc->add_option("-o,--output", so->output, "Output file (.mcr or .bdl)")->required();
    sc->callback([so] {
        const FileFormat& target = FormatOf(so->output);
        if (target.kind != Kind::molCrystal)
            throw ToolError(so->output + ": a supercell is written as .mcr or .bdl");
        Structure src = ReadAs(so->input, Kind::molCrystal);
        Structure out;
        out.kind = Kind::molCrystal;
        std::unique_ptr<DbMolCrystal> copy(src.molCrystal->CopySymmetry(so->nx, so->ny, so->nz));
        out.molCrystal.reset(dynamic_cast<KelDbMolCrystal*>(copy.get()));
        if (!out.molCrystal) throw ToolError("supercell: unexpected structure class");
        copy.release();
        WriteStructure(out, so->output, target);
        std::printf("%s: %d molecules, %d atoms\n", so->output.c_str(),
                    out.molCrystal->GetMolCount(), out.molCrystal->GetAtomCount());
    });
}

} // namespace qrtz::tool
