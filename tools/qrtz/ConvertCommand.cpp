// qrtz convert and qrtz zmat: change a structure's file kind; list a molecule's Z-matrix.
#include <cstdio>
#include <memory>
#include <string>

#include <CLI/CLI.hpp>

#include "Commands.h"
#include "Structure.h"
#include "qrtzdb/model/DbZmatVSet.h"

namespace qrtz::tool {

void AddConvertCommand(CLI::App& app) {
    auto* cmd = app.add_subcommand(
        "convert", "Convert between structure files: .mol into .mcr/.bdl (the molecule in the "
                   "middle of the cell), .mcr <-> .bdl, .cry <-> .mcr/.bdl (one group per element)");
    auto in = std::make_shared<std::string>();
    auto out = std::make_shared<std::string>();
    cmd->add_option("input", *in, "Structure file to read")->required();
    cmd->add_option("output", *out, "File to write; its extension gives the kind")->required();
    cmd->callback([in, out] {
        const FileFormat& target = FormatOf(*out);
        Structure s = ReadAs(*in, target.kind);
        WriteStructure(s, *out, target);
    });
}

void AddZmatCommand(CLI::App& app) {
    auto* cmd = app.add_subcommand("zmat", "Print a molecule's Z-matrix: atom, bond length and "
                                           "reference, angle and reference, torsion and reference");
    auto in = std::make_shared<std::string>();
    cmd->add_option("molecule", *in, "Molecular database file (.mol)")->required();
    cmd->callback([in] {
        Structure s = ReadAs(*in, Kind::molecule);
        DbZmatVSet zmat;
        zmat.CreateZmat(*s.molecule);
        POSITION atom = s.molecule->GetAtomHeadPosition();
        for (POSITION line = zmat.GetZmatHeadPosition(); line && atom;) {
            const DbZmatV* z = zmat.GetZmatNext(line);
            const DbAtomV* a = s.molecule->GetAtomNext(atom);
            std::printf("%-4s %10.4f %4d %10.4f %4d %10.4f %4d\n", a->GetName().c_str(), z->bond,
                        z->bondRef, z->angle, z->angleRef, z->torsion, z->torsionRef);
        }
    });
}

} // namespace qrtz::tool
