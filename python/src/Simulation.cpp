// Simulation result files: the header and series once, then frames in any order. Positions are
// read through the frame index straight into numpy arrays; a frame becomes a molecular crystal
// only when asked for.
#include <cstring>
#include <memory>
#include <optional>

#include "Bindings.h"
#include "qrtzdb/basis/KelException.h"
#include "qrtzdb/model/DbCell.h"
#include "qrtzdb/platform/CFile.h"
#include "qrtzdb/simulation/KelDbSim.h"
#include "qrtzdb/simulation/MagicNo.h"

namespace qrtz::python {

namespace {

using Cell = std::array<double, 6>;

// The cell matrix of a frame turned into the orientation a cell of the same lattice constants
// has everywhere else in the library (a along x, b in the xy-plane), so that positions agree
// with the constants handed to ASE and MDAnalysis and with the frames' molecular crystals.
struct FrameCell {
    explicit FrameCell(const float h[3][3]) : constants{} {
        double file[3][3];
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) file[r][c] = H[r][c] = h[r][c];
        Cell& k = constants;
        if (!DbCell::GetLatticeConstants(file, k[0], k[1], k[2], k[3], k[4], k[5])) return;
        // A diagonal matrix is already in that orientation, and stays exactly diagonal.
        diagonal = h[0][1] == 0 && h[0][2] == 0 && h[1][0] == 0 && h[1][2] == 0 &&
                   h[2][0] == 0 && h[2][1] == 0;
        if (!diagonal) DbCell(k[0], k[1], k[2], k[3], k[4], k[5]).GetHmatrix(H);
    }

    double H[3][3];
    Cell constants;
    bool diagonal = false;
};

class SimFile {
public:
    SimFile(const std::string& path, py::object progress) : m_path(path) {
        m_file = std::make_unique<CFile64>(path.c_str(), CFile::modeRead);
        m_sim.SetWarningSink([this](const CString& message) { m_warnings.push_back(message); });
        if (!progress.is_none())
            m_sim.SetProgressSink([progress](int scanned, int total) { progress(scanned, total); });
        guard([&] { m_sim.ReadHead(m_file.get()); });
        m_sim.SetProgressSink(nullptr);
    }

    int Frames() const { return m_sim.m_nStepCount; }
    const std::vector<std::string>& Warnings() const { return m_warnings; }

    py::dict Header() const {
        const KelDbSim& s = m_sim;
        py::dict h;
        h["title"] = Text(StripBlanks(s.m_szTitle));
        h["text46"] = Text(StripBlanks(s.m_szText46));
        h["text80"] = Text(StripBlanks(s.m_szText80));
        h["magic"] = static_cast<std::uint32_t>(s.m_nMagicNo);
        h["variable_population"] = s.m_bSp != 0;
        h["version4"] = MagicNo::IsSimV4OrAfter(s.m_nMagicNo) != 0;
        h["total_steps"] = s.m_nTotalStep;
        h["first_step"] = s.m_nStartStep;
        h["last_step"] = s.m_nEndStep;
        h["interval"] = s.m_nInterval;
        h["time_step_fs"] = s.m_fDt;
        h["params"] = py::make_tuple(s.m_nParam1, s.m_nParam2, s.m_nParam3, s.m_fParam4);
        h["atoms"] = s.m_nAtomCount;
        h["frames"] = s.m_nStepCount;
        h["frames_promised"] = s.m_nDeclaredStepCount;
        h["thermo_count"] = s.m_nThermoCount;
        h["extra_count"] = s.m_nExtraCount;
        py::list types;
        for (int t = 0; t < s.m_nMolTypeCount; ++t) {
            const auto i = static_cast<std::size_t>(t);
            py::dict type;
            type["name"] = Text(StripBlanks(s.m_ppMolTypeName[i].c_str()));
            type["molecules"] = s.m_pnMolCount0[i];
            type["atoms_each"] = s.m_pnMolAtomCount[i];
            type["bonds_each"] = s.m_pnMolBondCount[i];
            type["mass_each"] = s.m_pfMolMass[i];
            types.append(type);
        }
        h["types"] = types;
        double H[3][3];
        s.GetOrgHmatrix(H);
        py::array_t<double> cell({3, 3});
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) cell.mutable_at(r, c) = H[r][c];
        h["initial_matrix"] = cell;
        return h;
    }

    // The series as float64 arrays: the quantities the file stores (at least 12, the lattice
    // constants 6 to 11 included), the extras, the density and the time.
    py::dict Thermo() const {
        const KelDbSim& s = m_sim;
        const auto M = static_cast<std::size_t>(s.m_nStepCount);
        auto series = [M](const std::vector<float>& v, double scale = 1.0) {
            py::array_t<double> out(static_cast<py::ssize_t>(M));
            double* o = out.mutable_data();
            for (std::size_t i = 0; i < M && i < v.size(); ++i) o[i] = v[i] * scale;
            return out;
        };
        static const char* named[12] = {nullptr, nullptr, "volume", nullptr, nullptr, nullptr,
                                        "a",     "b",     "c",      "alpha", "beta",  "gamma"};
        py::dict out;
        out["time"] = series(s.m_pfTime);
        const int quantities = std::max(s.m_nThermoCount, 12);
        for (int q = 0; q < quantities && q < SimFileContents::kThermoSeries; ++q)
            out[q < 12 && named[q] ? py::str(named[q]) : py::str("q" + std::to_string(q))] =
                series(s.m_ppfThermo[static_cast<std::size_t>(q)]);
        for (int x = 0; x < s.m_nExtraCount && x < SimFileContents::kExtraSeries; ++x)
            out[py::str("extra" + std::to_string(x))] =
                series(s.m_ppfExtra[static_cast<std::size_t>(x)]);
        out["density"] = series(s.m_pfDensity, 1e24);  // g/Å³ to g/cm³
        return out;
    }

    // Positions of a step (0 the initial structure) in ångström, or fractional as stored, with
    // the step's lattice constants. The file's record is read straight into the array (planes
    // of x, y and z) and turned into Cartesian in place; the (n, 3) result is a view of it.
    py::tuple Positions(int step, bool cartesian) {
        py::array_t<float> planes;
        float h[3][3];
        const auto allocate = [&planes](int atoms) {
            planes = py::array_t<float>({py::ssize_t{3}, static_cast<py::ssize_t>(atoms)});
            return planes.mutable_data();
        };
        int n = 0;
        guard([&] { n = m_sim.ReadPositions(m_file.get(), step, h, allocate); });
        const FrameCell cell(h);
        if (cartesian) toCartesian(cell, planes.mutable_data(), static_cast<std::size_t>(n));
        return py::make_tuple(planes.attr("T"), cell.constants);
    }

    // The Cartesian positions of frame index (0-based, negative from the end): the hot path
    // of Simulation.positions, so the index is checked here.
    py::object FramePositions(int index) {
        const int frames = m_sim.m_nStepCount;
        if (index < 0) index += frames;
        if (index < 0 || index >= frames)
            throw py::index_error("frame " + std::to_string(index) + " of a simulation of " +
                                  std::to_string(frames) + " frames");
        return Positions(index + 1, true)[0];
    }

    // The molecular crystal of a step, molecules put back into the cell along the axes of wrap.
    std::unique_ptr<KelDbMolCrystal> Frame(int step, const std::string& wrap) {
        int px, py, pz;
        wrapFlags(wrap, px, py, pz);
        guard([&] {
            if (step < 0 || step > m_sim.m_nStepCount)
                throw FsException(1, "step " + std::to_string(step) + " is not between 0 and " +
                                         std::to_string(m_sim.m_nStepCount));
            m_sim.ReadStep(m_file.get(), step);
        });
        m_sim.UpdateMcr(px, py, pz);
        auto out = std::make_unique<KelDbMolCrystal>();
        *out = static_cast<const KelDbMolCrystal&>(m_sim);
        out->SetName(StripBlanks(m_sim.m_szTitle).substr(0, 16).c_str());
        return out;
    }

    // The library's trajectory of count points from step first to step last: per line its
    // name, and per point the wrapped fractional position, the periodic image and whether the
    // segment to it is drawn; the cell matrix of every point.
    py::dict Trajectory(int first, int last, int count, const std::string& wrap) {
        int px, py, pz;
        wrapFlags(wrap, px, py, pz);
        const int M = m_sim.m_nStepCount;
        if (first < 0 || last < 0 || first > M || last > M || first == last || count < 2 ||
            count > M)
            throw py::value_error("a trajectory needs 0 <= first, last <= " + std::to_string(M) +
                                  ", first != last and 2 <= count <= " + std::to_string(M));
        guard([&] { m_sim.CreateTraj(m_file.get(), first, last, count, px, py, pz); });
        const DbTrajectory& traj = m_sim.m_traj;
        const auto lines = static_cast<py::ssize_t>(traj.GetTrajCount());
        const py::ssize_t points = traj.stepCount;
        py::array_t<double> positions({lines, points, py::ssize_t{3}});
        py::array_t<std::int32_t> images({lines, points, py::ssize_t{3}});
        py::array_t<std::int32_t> segments({lines, points});
        py::list names;
        double* p = positions.mutable_data();
        std::int32_t* im = images.mutable_data();
        std::int32_t* sg = segments.mutable_data();
        for (POSITION pos = traj.GetTrajHeadPosition(); pos;) {
            const DbTrajLine* line = traj.GetTrajNext(pos);
            names.append(Text(StripBlanks(line->GetName())));
            for (py::ssize_t k = 0; k < points; ++k) {
                if (k < line->pointCount) {
                    const DbTrajPoint& pt = line->points[k];
                    *p++ = pt.position.x, *p++ = pt.position.y, *p++ = pt.position.z;
                    *im++ = pt.imageA, *im++ = pt.imageB, *im++ = pt.imageC;
                    *sg++ = pt.segmentFlag;
                } else {
                    for (int c = 0; c < 3; ++c) *p++ = 0.0, *im++ = DbTrajPoint::kImageNotSet;
                    *sg++ = 0;
                }
            }
        }
        py::array_t<double> matrices({points, py::ssize_t{3}, py::ssize_t{3}});
        if (points > 0)
            std::memcpy(matrices.mutable_data(), traj.matrices,
                        static_cast<std::size_t>(points) * 9 * sizeof(double));
        py::dict out;
        out["names"] = names;
        out["positions"] = positions;
        out["images"] = images;
        out["segments"] = segments;
        out["matrices"] = matrices;
        return out;
    }

    // The atoms of the initial structure in the file's order (type, molecule, atom): names,
    // masses, charges, the molecule index and type of each atom, and the bonds as 0-based
    // atom pairs.
    py::dict Topology() const {
        const KelDbSim& s = m_sim;
        std::vector<std::string> names;
        std::vector<double> masses, charges;
        std::vector<std::int64_t> molecule, bonds;
        std::vector<std::string> moleculeTypes;
        std::int64_t first = 0;
        for (std::size_t t = 0; t < static_cast<std::size_t>(s.m_nMolTypeCount); ++t) {
            const int atoms = s.m_pnMolAtomCount[t];
            for (int k = 0; k < s.m_pnMolCount0[t]; ++k) {
                const auto index = static_cast<std::int64_t>(moleculeTypes.size());
                moleculeTypes.push_back(StripBlanks(s.m_ppMolTypeName[t].c_str()));
                for (std::size_t a = 0; a < static_cast<std::size_t>(atoms); ++a) {
                    names.push_back(s.m_ppAtomName[t][a].c_str());
                    masses.push_back(s.m_ppfAtomMass[t][a]);
                    charges.push_back(s.m_ppfAtomCharge[t][a]);
                    molecule.push_back(index);
                }
                for (std::size_t b = 0; b < s.m_ppnBondAtom1[t].size(); ++b) {
                    const int i = s.m_ppnBondAtom1[t][b], j = s.m_ppnBondAtom2[t][b];
                    if (i < 1 || j < 1 || i > atoms || j > atoms) continue;
                    bonds.push_back(first + i - 1);
                    bonds.push_back(first + j - 1);
                }
                first += atoms;
            }
        }
        py::dict out;
        out["names"] = NameArray(names.size(), 4, [&](std::size_t i) { return names[i]; });
        out["masses"] = py::array_t<double>(static_cast<py::ssize_t>(masses.size()), masses.data());
        out["charges"] =
            py::array_t<double>(static_cast<py::ssize_t>(charges.size()), charges.data());
        out["molecule"] =
            py::array_t<std::int64_t>(static_cast<py::ssize_t>(molecule.size()), molecule.data());
        py::list typeNames;
        for (const std::string& t : moleculeTypes) typeNames.append(Text(t));
        out["molecule_types"] = typeNames;
        py::array_t<std::int64_t> pairs({static_cast<py::ssize_t>(bonds.size() / 2), py::ssize_t{2}});
        if (!bonds.empty()) std::memcpy(pairs.mutable_data(), bonds.data(), bonds.size() * 8);
        out["bonds"] = pairs;
        return out;
    }

    KelDbSim& Sim() { return m_sim; }

private:
    static void toCartesian(const FrameCell& cell, float* __restrict x, std::size_t n) {
        float* __restrict y = x + n;
        float* __restrict z = y + n;
        const auto& H = cell.H;
        const float h00 = static_cast<float>(H[0][0]), h01 = static_cast<float>(H[0][1]),
                    h02 = static_cast<float>(H[0][2]), h10 = static_cast<float>(H[1][0]),
                    h11 = static_cast<float>(H[1][1]), h12 = static_cast<float>(H[1][2]),
                    h20 = static_cast<float>(H[2][0]), h21 = static_cast<float>(H[2][1]),
                    h22 = static_cast<float>(H[2][2]);
        if (cell.diagonal) {  // the usual box: three scalings, a third of the arithmetic
            for (std::size_t i = 0; i < n; ++i) x[i] *= h00;
            for (std::size_t i = 0; i < n; ++i) y[i] *= h11;
            for (std::size_t i = 0; i < n; ++i) z[i] *= h22;
            return;
        }
        for (std::size_t i = 0; i < n; ++i) {
            const float fx = x[i], fy = y[i], fz = z[i];
            x[i] = h00 * fx + h01 * fy + h02 * fz;
            y[i] = h10 * fx + h11 * fy + h12 * fz;
            z[i] = h20 * fx + h21 * fy + h22 * fz;
        }
    }

    template <class Body>
    void guard(Body&& body) {
        try {
            body();
        } catch (const FsException& e) {
            throw FormatFailure{m_path, e.Message(), e.code};
        }
    }

    static void wrapFlags(const std::string& axes, int& px, int& py, int& pz) {
        for (char c : axes)
            if (c != 'x' && c != 'y' && c != 'z')
                throw py::value_error("wrap names axes among x, y and z, e.g. 'xyz'");
        px = axes.find('x') != std::string::npos;
        py = axes.find('y') != std::string::npos;
        pz = axes.find('z') != std::string::npos;
    }

    std::string m_path;
    std::unique_ptr<CFile64> m_file;
    KelDbSim m_sim;
    std::vector<std::string> m_warnings;
};

} // namespace

void BindSimulation(py::module_& m) {
    py::class_<SimFile>(m, "SimFile", "A simulation result file opened for reading; see "
                                      "qrtzdb.Simulation.")
        .def(py::init<const std::string&, py::object>(), py::arg("path"),
             py::arg("progress") = py::none())
        .def_property_readonly("frames", &SimFile::Frames)
        .def_property_readonly("warnings", [](const SimFile& f) {
            py::list out;
            for (const std::string& w : f.Warnings()) out.append(Text(w));
            return out;
        })
        .def("header", &SimFile::Header)
        .def("thermo", &SimFile::Thermo)
        .def("positions", &SimFile::Positions, py::arg("step"), py::arg("cartesian") = true)
        .def("frame_positions", &SimFile::FramePositions, py::arg("index"))
        .def("frame", &SimFile::Frame, py::arg("step"), py::arg("wrap") = "")
        .def("trajectory", &SimFile::Trajectory, py::arg("first"), py::arg("last"),
             py::arg("count"), py::arg("wrap") = "")
        .def("topology", &SimFile::Topology);
}

} // namespace qrtz::python
