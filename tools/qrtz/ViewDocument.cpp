#include "ViewDocument.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <map>
#include <utility>

#include "Commands.h"
#include "Report.h"
#include "ThermoSeries.h"
#include "qrtzdb/basis/KelException.h"
#include "qrtzdb/environment/TblAtom.h"
#include "qrtzdb/environment/TblBond.h"
#include "qrtzdb/platform/CFile.h"
#include "qrtzdb/simulation/KelDbSim.h"

namespace qrtz::tool {

namespace {

std::string trimmed(std::string name) {
    name.erase(name.find_last_not_of(' ') + 1);
    name.erase(0, name.find_first_not_of(' ') == std::string::npos ? name.size()
                                                                    : name.find_first_not_of(' '));
    return name;
}

std::string quoted(const std::string& text) {
    return Report(text).Json();
}

void number(std::string& out, double value, int decimals) {
    if (!std::isfinite(value)) {
        out += "null";
        return;
    }
    char buf[48];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
    out += buf;
}

void general(std::string& out, double value) {
    if (!std::isfinite(value)) {
        out += "null";
        return;
    }
    char buf[48];
    std::snprintf(buf, sizeof buf, "%.7g", value);
    out += buf;
}

// Atoms and bonds of one structure in Cartesian ångström.
struct Scene {
    std::vector<std::string> symbols;
    std::vector<Vertex3D> xyz;
    std::vector<std::array<int, 2>> bonds;  // 0-based atom indexes
    std::vector<std::string> bondTypes;
    bool periodic = false;
    double H[3][3] = {{1.0, 0.0, 0.0}, {0.0, 1.0, 0.0}, {0.0, 0.0, 1.0}};
    Vertex3D origin;  // the Cartesian corner the cell box is drawn from
};

Vertex3D cartesian(const double H[3][3], const Vertex3D& s) {
    return {H[0][0] * s.x + H[0][1] * s.y + H[0][2] * s.z,
            H[1][0] * s.x + H[1][1] * s.y + H[1][2] * s.z,
            H[2][0] * s.x + H[2][1] * s.y + H[2][2] * s.z};
}

void addAtoms(Scene& scene, const DbAtomVSet& atoms) {
    for (POSITION pos = atoms.GetAtomHeadPosition(); pos;) {
        const DbAtomV* atom = atoms.GetAtomNext(pos);
        scene.symbols.push_back(trimmed(atom->GetName()));
        scene.xyz.push_back(scene.periodic ? cartesian(scene.H, atom->position) : atom->position);
    }
}

// Bond ends are 1-based numbers within the molecule; a bond naming an atom it does not hold is
// left out rather than drawn to a stranger.
void addMolecule(Scene& scene, const DbMolecule& mol) {
    const int first = static_cast<int>(scene.symbols.size());
    addAtoms(scene, mol);
    const int count = static_cast<int>(scene.symbols.size()) - first;
    for (POSITION pos = mol.GetBondHeadPosition(); pos;) {
        const DbBondV* bond = mol.GetBondNext(pos);
        if (bond->firstAtom < 1 || bond->firstAtom > count || bond->secondAtom < 1 ||
            bond->secondAtom > count)
            continue;
        scene.bonds.push_back({first + bond->firstAtom - 1, first + bond->secondAtom - 1});
        scene.bondTypes.push_back(trimmed(bond->GetName()));
    }
}

void setCell(Scene& scene, const DbCell& cell) {
    scene.periodic = cell.GetHmatrix(scene.H) == 1;
    if (scene.periodic) scene.origin = cartesian(scene.H, cell.lowerCorner);
}

Scene molCrystalScene(const DbMolCrystal& mcr) {
    Scene scene;
    setCell(scene, mcr);
    for (POSITION pos = mcr.GetMolHeadPosition(); pos;) addMolecule(scene, *mcr.GetMolNext(pos));
    return scene;
}

Scene sceneOf(const Structure& s) {
    Scene scene;
    switch (s.kind) {
    case Kind::molecule: addMolecule(scene, *s.molecule); break;
    case Kind::crystal:
        setCell(scene, *s.crystal);
        addAtoms(scene, *s.crystal);
        break;
    case Kind::molCrystal: scene = molCrystalScene(*s.molCrystal); break;
    }
    return scene;
}

// Copies of every atom and bond shifted by whole cell vectors, the original first.
void replicate(Scene& scene, const int n[3]) {
    const std::size_t atoms = scene.symbols.size(), bonds = scene.bonds.size();
    for (int i = 0; i < n[0]; ++i)
        for (int j = 0; j < n[1]; ++j)
            for (int k = 0; k < n[2]; ++k) {
                if (i == 0 && j == 0 && k == 0) continue;
                const Vertex3D shift = cartesian(scene.H, Vertex3D(i, j, k));
                const int offset = static_cast<int>(scene.symbols.size());
                for (std::size_t a = 0; a < atoms; ++a) {
                    scene.symbols.push_back(scene.symbols[a]);
                    const Vertex3D& p = scene.xyz[a];
                    scene.xyz.emplace_back(p.x + shift.x, p.y + shift.y, p.z + shift.z);
                }
                for (std::size_t b = 0; b < bonds; ++b) {
                    scene.bonds.push_back({scene.bonds[b][0] + offset, scene.bonds[b][1] + offset});
                    scene.bondTypes.push_back(scene.bondTypes[b]);
                }
            }
}

std::string hexColour(const Color4V& colour) {
    int r, g, b, a;
    colour.GetRgba(r, g, b, a);
    char buf[8];
    std::snprintf(buf, sizeof buf, "#%02x%02x%02x", std::clamp(r, 0, 255), std::clamp(g, 0, 255),
                  std::clamp(b, 0, 255));
    return buf;
}

// Colour and radius of each symbol from the element table, looked up once per symbol.
class Styles {
public:
    const std::string& Of(const std::string& symbol) {
        auto found = m_json.find(symbol);
        if (found != m_json.end()) return found->second;
        const int row = TblAtom::FindRegIndex(symbol.c_str());
        double radius = TblAtom::GetRadius(row);
        if (!(radius > 0.0)) radius = 1.0;  // no row left for the symbol: still to be seen
        std::string json = ",\"color\":" + quoted(hexColour(TblAtom::GetColor(row))) + ",\"radius\":";
        number(json, radius, 3);
        return m_json.emplace(symbol, json).first->second;
    }

private:
    std::map<std::string, std::string> m_json;
};

void atomsJson(std::string& out, const Scene& scene, Styles& styles) {
    out += "[";
    for (std::size_t a = 0; a < scene.symbols.size(); ++a) {
        const Vertex3D& p = scene.xyz[a];
        out += a ? ",{\"symbol\":" : "{\"symbol\":";
        out += quoted(scene.symbols[a]) + ",\"xyz\":[";
        number(out, p.x, 4);
        out += ",";
        number(out, p.y, 4);
        out += ",";
        number(out, p.z, 4);
        out += "]" + styles.Of(scene.symbols[a]) + "}";
    }
    out += "]";
}

void bondsJson(std::string& out, const Scene& scene, std::map<std::string, int>& typesSeen) {
    out += "[";
    for (std::size_t b = 0; b < scene.bonds.size(); ++b) {
        out += b ? ",{\"atoms\":[" : "{\"atoms\":[";
        out += std::to_string(scene.bonds[b][0]) + "," + std::to_string(scene.bonds[b][1]) +
               "],\"type\":" + quoted(scene.bondTypes[b]) + "}";
        ++typesSeen[scene.bondTypes[b]];
    }
    out += "]";
}

// The cell vectors a, b and c (the columns of the H-matrix) and the corner the box is drawn from.
void cellJson(std::string& out, const Scene& scene) {
    if (!scene.periodic) {
        out += "null,\"origin\":null";
        return;
    }
    out += "[";
    for (int v = 0; v < 3; ++v) {
        out += v ? ",[" : "[";
        for (int r = 0; r < 3; ++r) {
            if (r) out += ",";
            number(out, scene.H[r][v], 4);
        }
        out += "]";
    }
    out += "],\"origin\":[";
    number(out, scene.origin.x, 4);
    out += ",";
    number(out, scene.origin.y, 4);
    out += ",";
    number(out, scene.origin.z, 4);
    out += "]";
}

struct MolType {
    std::string name;
    int count, atomsEach;
};

std::vector<MolType> molTypesOf(const Structure& s) {
    std::vector<MolType> types;
    if (s.kind == Kind::molecule) {
        types.push_back({trimmed(s.molecule->GetName()), 1, s.molecule->GetAtomCount()});
    } else if (s.kind == Kind::molCrystal) {
        DbMolCrystal& mcr = *s.molCrystal;
        mcr.UpdateMolTypeList();
        for (int t = 0; t < mcr.GetMolTypeCount(); ++t) {
            const CString& name = *mcr.GetMolTypeAt(t);
            POSITION pos = mcr.GetMolHeadPosition(name.c_str());
            const DbMolecule* first = mcr.GetMolNext(name.c_str(), pos);
            types.push_back({trimmed(name), mcr.GetMolCountOfType(name.c_str()),
                             first ? first->GetAtomCount() : 0});
        }
    }
    return types;
}

void molTypesJson(std::string& out, const std::vector<MolType>& types) {
    out += "[";
    for (std::size_t t = 0; t < types.size(); ++t)
        out += std::string(t ? "," : "") + "{\"name\":" + quoted(types[t].name) +
               ",\"count\":" + std::to_string(types[t].count) +
               ",\"atoms each\":" + std::to_string(types[t].atomsEach) + "}";
    out += "]";
}

// Everything a record holds but its info.
void sceneJson(std::string& out, const Scene& scene, Styles& styles,
               std::map<std::string, int>& bondTypes) {
    out += "\"cell\":";
    cellJson(out, scene);
    out += ",\"atoms\":";
    atomsJson(out, scene, styles);
    out += ",\"bonds\":";
    bondsJson(out, scene, bondTypes);
}

void recordJson(std::string& out, const std::string& name, const Report& info, const Scene& scene,
                const int supercell[3], const std::vector<MolType>& types, Styles& styles,
                std::map<std::string, int>& bondTypes) {
    out += "{\"name\":" + quoted(name) + ",\"info\":" + info.Json() + ",";
    sceneJson(out, scene, styles, bondTypes);
    out += ",\"supercell\":[" + std::to_string(supercell[0]) + "," + std::to_string(supercell[1]) +
           "," + std::to_string(supercell[2]) + "],\"molecules\":";
    molTypesJson(out, types);
    out += "}";
}

std::string baseName(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void bondStylesJson(std::string& out, const std::map<std::string, int>& seen) {
    out += "{";
    bool first = true;
    for (const auto& [code, count] : seen) {
        out += std::string(first ? "" : ",") + quoted(code) + ":{\"color\":" +
               quoted(hexColour(TblBond::GetColor(code.c_str()))) + ",\"width\":";
        number(out, TblBond::GetWidth(code.c_str()), 2);
        out += ",\"count\":" + std::to_string(count) + "}";
        first = false;
    }
    out += "}";
}

struct Document {
    std::string kind;
    std::string records;      // the JSON list
    std::string simulation;   // the JSON object, or empty
    int initial = 0;
    std::map<std::string, int> bondTypes;
};

void structureDocument(const ViewOptions& o, Document& doc, Styles& styles) {
    const FileFormat& format = FormatOf(o.input, o.read);
    std::vector<Structure> all = ReadStructures(o.input, o.read);
    if (all.empty()) throw ToolError(o.input + ": holds no structure");
    const bool repeated = o.supercell[0] * o.supercell[1] * o.supercell[2] > 1;
    if (repeated && format.kind == Kind::molecule)
        throw ToolError(o.input + ": --supercell takes a crystal or molecular crystal");
    if (o.frame >= 0) {
        if (!format.records && o.frame != 1)
            throw ToolError(o.input + ": --frame picks a record of an SD file or a frame of a run");
        if (o.frame < 1 || o.frame > static_cast<int>(all.size()))
            throw ToolError(o.input + ": record " + std::to_string(o.frame) + " is not between 1 and " +
                            std::to_string(all.size()));
        doc.initial = o.frame - 1;
    }
    doc.kind = KindName(format.kind);
    doc.records = "[";
    for (std::size_t i = 0; i < all.size(); ++i) {
        Structure& s = all[i];
        Scene scene = sceneOf(s);
        if (repeated) {
            if (!scene.periodic) throw ToolError(o.input + ": the cell cannot be built from its constants");
            replicate(scene, o.supercell);
        }
        const Report info = StructureReport(o.input, format, s, static_cast<int>(i + 1));
        std::string name = s.kind == Kind::molecule   ? s.molecule->GetName()
                           : s.kind == Kind::crystal ? s.crystal->GetName()
                                                     : s.molCrystal->GetName();
        name = trimmed(name);
        if (format.records) name = std::to_string(i + 1) + (name.empty() ? "" : ": " + name);
        if (i) doc.records += ",";
        recordJson(doc.records, name, info, scene, o.supercell, molTypesOf(s), styles, doc.bondTypes);
    }
    doc.records += "]";
}

void seriesJson(std::string& out, const ThermoTable& table) {
    out += "\"time\":[";
    for (std::size_t f = 0; f < table.time.size(); ++f) {
        if (f) out += ",";
        general(out, table.time[f]);
    }
    out += "],\"series\":[";
    bool first = true;
    for (const ThermoSeries& s : table.series) {
        if (!HasData(s)) continue;
        out += std::string(first ? "" : ",") + "{\"name\":" + quoted(s.name) +
               ",\"label\":" + quoted(s.label) + ",\"values\":[";
        for (std::size_t f = 0; f < s.values.size(); ++f) {
            if (f) out += ",";
            general(out, s.values[f]);
        }
        out += "]}";
        first = false;
    }
    out += "]";
}

void simulationDocument(const ViewOptions& o, Document& doc, Styles& styles) {
    if (o.supercell[0] * o.supercell[1] * o.supercell[2] > 1)
        throw ToolError(o.input + ": --supercell takes a crystal or molecular crystal");
    const Report info = SimulationReport(o.input);
    CFile64 file(o.input.c_str(), CFile::modeRead);
    KelDbSim sim;
    sim.SetWarningSink([&](const CString& m) {
        std::fprintf(stderr, "qrtz: warning: %s: %s\n", o.input.c_str(), m.c_str());
    });
    try {
        sim.ReadHead(&file);
    } catch (const KelException& e) {
        throw ToolError(o.input + ": " + e.Message());
    }
    const int frames = sim.m_nStepCount;
    if (frames < 1) throw ToolError(o.input + ": holds no frames");
    const int shown = o.frame < 0 ? 1 : o.frame;
    if (shown < 1 || shown > frames)
        throw ToolError(o.input + ": frame " + std::to_string(shown) + " is not between 1 and " +
                        std::to_string(frames));
    const long long atoms = std::max(sim.m_nAtomCount, 1);
    const long long limit = std::max(o.embedLimit, atoms);
    const int stride = static_cast<int>(std::min<long long>(frames, (frames * atoms + limit - 1) / limit));
    doc.kind = "simulation";
    doc.initial = 0;

    std::string& out = doc.simulation;
    out = "{\"frameCount\":" + std::to_string(frames) + ",\"stride\":" + std::to_string(stride) +
          ",\"embedLimit\":" + std::to_string(o.embedLimit) + ",\"first\":" +
          std::to_string((shown - 1) / stride) + ",";
    seriesJson(out, ThermoOf(sim));
    out += ",\"frames\":[";
    std::vector<std::string> lastSymbols;
    for (int f = 1; f <= frames; f += stride) {
        try {
            sim.ReadStep(&file, f);
        } catch (const KelException& e) {
            throw ToolError(o.input + ": frame " + std::to_string(f) + ": " + e.Message());
        }
        sim.UpdateMcr(1, 1, 1);  // molecules whole, in the cell: what a person expects to see
        Scene scene = molCrystalScene(sim);
        // A run's frames are centred on the origin: the box spans -1/2 to 1/2 of each vector.
        scene.origin = cartesian(scene.H, Vertex3D(-0.5, -0.5, -0.5));
        const auto t = static_cast<std::size_t>(f - 1);
        if (f == 1) {
            doc.records = "[";
            std::vector<MolType> types;
            for (int m = 0; m < sim.m_nMolTypeCount; ++m) {
                const auto i = static_cast<std::size_t>(m);
                types.push_back({trimmed(sim.m_ppMolTypeName[i].c_str()), sim.m_pnMolCount0[i],
                                 sim.m_pnMolAtomCount[i]});
            }
            const int one[3] = {1, 1, 1};
            recordJson(doc.records, trimmed(sim.m_szTitle), info, scene, one, types, styles,
                       doc.bondTypes);
            doc.records += "]";
        }
        out += f == 1 ? "{\"frame\":" : ",{\"frame\":";
        out += std::to_string(f) + ",\"time\":";
        general(out, t < sim.m_pfTime.size() ? sim.m_pfTime[t] : NAN);
        out += ",\"cell\":";
        cellJson(out, scene);
        out += ",\"xyz\":[";
        for (std::size_t a = 0; a < scene.xyz.size(); ++a) {
            out += a ? "," : "";
            number(out, scene.xyz[a].x, 3);
            out += ",";
            number(out, scene.xyz[a].y, 3);
            out += ",";
            number(out, scene.xyz[a].z, 3);
        }
        out += "]";
        // Atoms and bonds only where the population differs from the frame before.
        if (f > 1 && scene.symbols != lastSymbols) {
            out += ",\"atoms\":";
            atomsJson(out, scene, styles);
            out += ",\"bonds\":";
            bondsJson(out, scene, doc.bondTypes);
        }
        out += "}";
        lastSymbols = scene.symbols;
    }
    out += "]}";
}

} // namespace

std::string ViewDocument(const ViewOptions& options) {
    Document doc;
    Styles styles;
    if (IsSimulationPath(options.input)) simulationDocument(options, doc, styles);
    else structureDocument(options, doc, styles);

    std::string out = "{\"format\":\"qrtz-view 1\",\"title\":" + quoted(baseName(options.input)) +
                      ",\"file\":" + quoted(options.input) + ",\"kind\":" + quoted(doc.kind) +
                      ",\"radiusScale\":";
    number(out, TblAtom::GetRadiusScale(), 3);
    out += ",\"bondStyles\":";
    bondStylesJson(out, doc.bondTypes);
    out += ",\"initial\":" + std::to_string(doc.initial) + ",\"records\":" + doc.records;
    if (!doc.simulation.empty()) out += ",\"simulation\":" + doc.simulation;
    return out + "}";
}

} // namespace qrtz::tool
