// qrtz convert and qrtz zmat: change a structure's file kind; list a molecule's Z-matrix.
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "Commands.h"
#include "Structure.h"
#include "qrtzdb/model/DbZmatVSet.h"

namespace qrtz::tool {

void AddConvertCommand(CLI::App& app) {
    auto* cmd = app.add_subcommand(
        "convert", "Convert between structure files: molecules among .mol .sdf .mop .qsf and into "
                   ".mcr/.bdl (in the middle of the cell), .mcr <-> .bdl, .cry <-> .mcr/.bdl (one "
                   "group per element); the records of an SD file to numbered files");
    auto in = std::make_shared<std::string>();
    auto out = std::make_shared<std::string>();
    auto options = std::make_shared<ReadOptions>();
    auto to = std::make_shared<std::string>();
    cmd->add_option("input", *in, "Structure file to read")->required();
    cmd->add_option("output", *out, "File to write; its extension gives the kind")->required();
    AddReadOptions(*cmd, *options);
    std::vector<std::string> names;
    for (const FileFormat& f : FileFormats()) names.push_back(f.name);
    cmd->add_option("--to", *to, "Output format by name, e.g. mdl for an MDL .mol file")
        ->check(CLI::IsMember(names));
    cmd->callback([in, out, options, to] {
        const FileFormat& target = to->empty() ? FormatOf(*out) : FormatNamed(*to);
        // Records go out as they are read, so an SD file of any length converts in the memory
        // of one record.
        if (target.records) {
            WithOutput(*out, [&](FileStream& stream) {
                ForEachStructure(*in, target.kind, *options, SdRecordReader::STOP,
                                 [&](Structure& s, int) { target.write(s, stream); });
            });
            return;
        }
        // Into a one-structure format: the structure itself, or one numbered file per record
        // once a second record shows there are several.
        const auto dot = out->find_last_of('.');
        auto numbered = [&](Structure& s, int record) {
            const std::string path =
                out->substr(0, dot) + "-" + std::to_string(record) + out->substr(dot);
            WriteStructure(s, path, target);
            std::printf("%s\n", path.c_str());
        };
        std::optional<Structure> first;
        int count = 0;
        ForEachStructure(*in, target.kind, *options, SdRecordReader::STOP,
                         [&](Structure& s, int record) {
                             if (++count == 1) {
                                 first = std::move(s);
                                 return;
                             }
                             if (first) {
                                 numbered(*first, 1);
                                 first.reset();
                             }
                             numbered(s, record);
                         });
        if (first) WriteStructure(*first, *out, target);
    });
}

void AddZmatCommand(CLI::App& app) {
    auto* cmd = app.add_subcommand("zmat", "Print a molecule's Z-matrix: atom, bond length and "
                                           "reference, angle and reference, torsion and reference");
    auto in = std::make_shared<std::string>();
    auto options = std::make_shared<ReadOptions>();
    cmd->add_option("molecule", *in, "A molecule file (.mol .sdf .mop .qsf)")->required();
    AddReadOptions(*cmd, *options);
    cmd->callback([in, options] {
        Structure s = ReadOneAs(*in, Kind::molecule, *options);
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
