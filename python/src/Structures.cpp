// Molecule, Crystal and MolCrystal: the library's structures with numpy views of their atoms.
// Every array is made in one walk over the atoms; no atom becomes a Python object.
#include <array>
#include <cmath>
#include <memory>
#include <optional>

#include "Bindings.h"
#include "qrtzdb/basis/Calc.h"
#include "qrtzdb/environment/TblAtom.h"
#include "qrtzdb/formats/KelDbAtomV.h"
#include "qrtzdb/formats/KelDbCrystal.h"
#include "qrtzdb/formats/KelDbMolCrystal.h"
#include "qrtzdb/formats/KelDbMolecule.h"
#include "qrtzdb/model/DbZmatVSet.h"

namespace qrtz::python {

namespace {

using Matrix = std::array<std::array<double, 3>, 3>;
using Cell = std::array<double, 6>;

// Visits every atom in order: a set's own, or those of each molecule in turn. The sets hand
// out their members as non-const pointers, so one walk serves readers and writers.
template <class Visit>
void eachAtom(const DbAtomVSet& set, Visit&& visit) {
    for (POSITION p = set.GetAtomHeadPosition(); p;) visit(*set.GetAtomNext(p));
}
template <class Visit>
void eachAtom(const DbMoleculeSet& set, Visit&& visit) {
    for (POSITION m = set.GetMolHeadPosition(); m;) eachAtom(*set.GetMolNext(m), visit);
}
int atomCount(const DbAtomVSet& set) { return set.GetAtomCount(); }
int atomCount(const DbMoleculeSet& set) { return set.GetAtomCount(); }

template <class Set>
py::array_t<double> positionsOf(const Set& set, const double (*H)[3]) {
    py::array_t<double> out({static_cast<py::ssize_t>(atomCount(set)), py::ssize_t{3}});
    double* o = out.mutable_data();
    eachAtom(set, [&](const DbAtomV& a) {
        const Vertex3D r = H ? a.position.Transform(H) : a.position;
        *o++ = r.x;
        *o++ = r.y;
        *o++ = r.z;
    });
    return out;
}

template <class Set>
void setPositions(Set& set, const Doubles& xyz, const double (*Hinv)[3]) {
    const auto n = atomCount(set);
    if (xyz.ndim() != 2 || xyz.shape(0) != n || xyz.shape(1) != 3)
        throw py::value_error("positions must be an array of shape (" + std::to_string(n) +
                              ", 3)");
    const double* p = xyz.data();
    eachAtom(set, [&](DbAtomV& a) {
        const Vertex3D r(p[0], p[1], p[2]);
        a.position = Hinv ? r.Transform(Hinv) : r;
        p += 3;
    });
}

template <class Set>
py::array atomNames(const Set& set) {
    std::vector<const DbAtomV*> atoms;
    atoms.reserve(static_cast<std::size_t>(atomCount(set)));
    eachAtom(set, [&](const DbAtomV& a) { atoms.push_back(&a); });
    return NameArray(atoms.size(), DbAtom::kNameLength,
                     [&](std::size_t i) { return atoms[i]->GetName(); });
}

template <class Set>
py::array_t<double> atomValues(const Set& set, double DbAtom::*field) {
    py::array_t<double> out(static_cast<py::ssize_t>(atomCount(set)));
    double* o = out.mutable_data();
    eachAtom(set, [&](const DbAtomV& a) { *o++ = a.*field; });
    return out;
}

// Cell matrices and their inverses, with an error for angles that cannot close a cell.
Matrix hmatrix(const DbCell& cell) {
    double H[3][3];
    if (!cell.GetHmatrix(H))
        throw py::value_error("the cell's angles cannot close a cell");
    Matrix m;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) m[r][c] = H[r][c];
    return m;
}
Matrix inverseHmatrix(const DbCell& cell) {
    double H[3][3];
    if (!cell.GetInverseHmatrix(H)) throw py::value_error("the cell has no volume");
    Matrix m;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) m[r][c] = H[r][c];
    return m;
}
py::array_t<double> matrixArray(const Matrix& m) {
    py::array_t<double> out({3, 3});
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) out.mutable_at(r, c) = m[r][c];
    return out;
}
using Raw = const double (*)[3];
Raw raw(const Matrix& m) { return reinterpret_cast<Raw>(m.data()); }

Cell cellOf(const DbCell& c) { return {c.a, c.b, c.c, c.alpha, c.beta, c.gamma}; }

// A cell given as one edge (cubic), three edges (right angles) or six constants.
void setCell(DbCell& cell, const std::vector<double>& v) {
    Cell c;
    if (v.size() == 1) c = {v[0], v[0], v[0], 90, 90, 90};
    else if (v.size() == 3) c = {v[0], v[1], v[2], 90, 90, 90};
    else if (v.size() == 6) c = {v[0], v[1], v[2], v[3], v[4], v[5]};
    else throw py::value_error("a cell is 1, 3 or 6 numbers: a, b, c, alpha, beta, gamma");
    for (double x : c)
        if (!std::isfinite(x) || x <= 0) throw py::value_error("cell constants must be positive");
    cell.a = c[0], cell.b = c[1], cell.c = c[2];
    cell.alpha = c[3], cell.beta = c[4], cell.gamma = c[5];
    double H[3][3];
    if (!cell.GetHmatrix(H)) throw py::value_error("these angles cannot close a cell");
}

void setMatrix(DbCell& cell, const Doubles& m) {
    if (m.ndim() != 2 || m.shape(0) != 3 || m.shape(1) != 3)
        throw py::value_error("a cell matrix is 3×3, its columns the cell vectors");
    double H[3][3];
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) H[r][c] = m.at(r, c);
    if (!cell.SetHmatrix(H)) throw py::value_error("the matrix has a zero or non-finite column");
}

py::str nameOf(const DbComp& c) { return Text(StripBlanks(c.GetName())); }

// The element table's mass and radius of an atom name; an unknown name gets a free slot.
double tableMass(const std::string& name) { return TblAtom::GetMass(name.c_str()); }
double tableRadius(const std::string& name) { return TblAtom::GetRadius(name.c_str()); }

std::vector<double> optionalValues(const std::optional<Doubles>& a, std::size_t n,
                                   const char* what) {
    if (!a) return {};
    if (static_cast<std::size_t>(a->size()) != n)
        throw py::value_error(std::string(what) + " must have one value per atom");
    return std::vector<double>(a->data(), a->data() + n);
}

// Appends atoms built from names and positions (in the set's own frame) to set.
void appendAtoms(DbAtomVSet& set, const std::vector<std::string>& names, const Doubles& xyz,
                 const std::optional<Doubles>& masses, const std::optional<Doubles>& charges,
                 const std::optional<Doubles>& radii) {
    const std::size_t n = names.size();
    if (xyz.ndim() != 2 || static_cast<std::size_t>(xyz.shape(0)) != n || xyz.shape(1) != 3)
        throw py::value_error("positions must be an array of shape (" + std::to_string(n) +
                              ", 3), one row per name");
    const auto m = optionalValues(masses, n, "masses");
    const auto q = optionalValues(charges, n, "charges");
    const auto r = optionalValues(radii, n, "radii");
    const double* p = xyz.data();
    for (std::size_t i = 0; i < n; ++i, p += 3) {
        if (names[i].empty() || names[i].size() > DbAtom::kNameLength)
            throw py::value_error("atom names have 1 to 4 characters: '" + names[i] + "'");
        set.AppendAtom(set.CreateDbAtomV(names[i].c_str(), Vertex3D(p[0], p[1], p[2]),
                                         m.empty() ? tableMass(names[i]) : m[i],
                                         q.empty() ? 0.0 : q[i],
                                         r.empty() ? tableRadius(names[i]) : r[i]));
    }
    set.UpdateAtomTypeList();
}

void appendBonds(DbBondVSet& set, int atoms, const std::optional<Ints>& bonds,
                 const std::optional<std::vector<std::string>>& types) {
    if (!bonds) return;
    const Ints& b = *bonds;
    if (b.size() == 0) return;
    if (b.ndim() != 2 || b.shape(1) != 2)
        throw py::value_error("bonds must be an array of shape (m, 2) of 0-based atom indexes");
    const auto count = static_cast<std::size_t>(b.shape(0));
    if (types && types->size() != count)
        throw py::value_error("bond_types must have one entry per bond");
    for (std::size_t k = 0; k < count; ++k) {
        const std::int64_t i = b.at(k, 0), j = b.at(k, 1);
        if (i < 0 || j < 0 || i >= atoms || j >= atoms || i == j)
            throw py::value_error("bond " + std::to_string(k) + " joins atoms " +
                                  std::to_string(i) + " and " + std::to_string(j) + " of " +
                                  std::to_string(atoms));
        const std::string type = types ? (*types)[k] : "1";
        set.AppendBond(set.CreateDbBondV(type.c_str(), static_cast<int>(i + 1),
                                         static_cast<int>(j + 1)));
    }
    set.UpdateBondTypeList();
}

py::array_t<double> vec3(const Vertex3D& v) {
    py::array_t<double> out(3);
    out.mutable_at(0) = v.x;
    out.mutable_at(1) = v.y;
    out.mutable_at(2) = v.z;
    return out;
}

template <class T>
std::unique_ptr<T> copyOf(const T& t) {
    return std::unique_ptr<T>(static_cast<T*>(t.Copy()));
}

// Lattice builders: the nearest-neighbour distance of a lattice of constant 1, as qrtz build.
struct Lattice {
    const char* name;
    double nearest;
    void (DbMolCrystal::*atoms)(const DbAtomV*, int);
    void (DbMolCrystal::*molecules)(const DbMolecule*, int, double, double, double);
};
const Lattice kLattices[] = {
    {"sc", 1.0, &DbMolCrystal::CreateSc, &DbMolCrystal::CreateSc},
    {"fcc", std::sqrt(0.5), &DbMolCrystal::CreateFcc, &DbMolCrystal::CreateFcc},
    {"bcc", std::sqrt(3.0) / 2, &DbMolCrystal::CreateBcc, &DbMolCrystal::CreateBcc},
    {"dia", std::sqrt(3.0) / 4, &DbMolCrystal::CreateDia, &DbMolCrystal::CreateDia},
};
// Room between neighbouring atoms, or between the outermost atoms of two molecules.
constexpr double kDefaultGap = 3.0;

std::unique_ptr<KelDbMolCrystal> build(const Lattice& lattice, const py::object& species, int n,
                                       std::optional<double> constant,
                                       std::optional<std::array<double, 3>> euler,
                                       bool randomOrientation, std::uint64_t seed) {
    if (n < 1) throw py::value_error("n must be at least 1");
    auto mcr = std::make_unique<KelDbMolCrystal>();
    double nearest = kDefaultGap;
    std::unique_ptr<KelDbAtomV> atom;
    const KelDbMolecule* mol = nullptr;
    std::string label;
    if (py::isinstance<py::str>(species)) {
        label = species.cast<std::string>();
        const int row = TblAtom::FindIndex(label.c_str());
        if (row < 0) throw py::value_error("unknown element '" + label + "'");
        atom = std::make_unique<KelDbAtomV>(label.c_str(), Vertex3D(), TblAtom::GetMass(row), 0.0,
                                            TblAtom::GetRadius(row));
    } else {
        mol = species.cast<const KelDbMolecule*>();
        if (!mol || mol->GetAtomCount() == 0) throw py::value_error("the molecule has no atoms");
        const Vertex3D centre = mol->GetCenterOfMass();
        double r = 0.0;
        for (POSITION p = mol->GetAtomHeadPosition(); p;)
            r = std::max(r, (mol->GetAtomNext(p)->position - centre).GetAbsolute());
        nearest = 2 * r + kDefaultGap;
        label = StripBlanks(mol->GetName());
    }
    const double a = constant.value_or(nearest / lattice.nearest);
    if (!(a > 0)) throw py::value_error("the lattice constant must be positive");
    mcr->a = mcr->b = mcr->c = a * n;
    mcr->SetName((std::string(lattice.name) + "-" + label).c_str());
    if (atom) {
        ((*mcr).*lattice.atoms)(atom.get(), n);
    } else {
        std::array<double, 3> e = euler.value_or(std::array<double, 3>{0, 0, 0});
        if (randomOrientation) {
            Calc::SetRandomSeed(seed);
            e = {-1, -1, -1};
        } else {
            for (double x : e)
                if (x < 0) throw py::value_error("Euler angles are given in [0, 360) degrees");
        }
        ((*mcr).*lattice.molecules)(mol, n, e[0], e[1], e[2]);
    }
    return mcr;
}

// What Molecule, Crystal and MolCrystal share: name, atoms as arrays.
template <class Class, class Set>
void bindAtomArrays(Class& cls) {
    using T = typename Class::type;
    cls.def_property(
           "name", [](const T& t) { return nameOf(t); },
           [](T& t, const std::string& name) { t.SetName(name.c_str()); },
           "The name (at most 16 bytes; longer names are cut).")
        .def("__len__", [](const T& t) { return atomCount(static_cast<const Set&>(t)); },
             "The number of atoms.")
        .def_property_readonly(
            "names", [](const T& t) { return atomNames(static_cast<const Set&>(t)); },
            "Atom type names (element symbols, at most 4 characters), one per atom.")
        .def_property_readonly(
            "masses", [](const T& t) { return atomValues(static_cast<const Set&>(t), &DbAtom::mass); },
            "Atom masses in atomic mass units.")
        .def_property_readonly(
            "charges",
            [](const T& t) { return atomValues(static_cast<const Set&>(t), &DbAtom::charge); },
            "Partial charges in elementary charges.")
        .def_property_readonly(
            "radii", [](const T& t) { return atomValues(static_cast<const Set&>(t), &DbAtom::radius); },
            "Display radii in ångström.")
        .def("copy", [](const T& t) { return copyOf(t); }, "A deep copy.");
}

// What Crystal and MolCrystal share: the cell, Cartesian and fractional positions, supercells.
template <class Class, class Set>
void bindCell(Class& cls) {
    using T = typename Class::type;
    cls.def_property(
           "cell", [](const T& t) { return cellOf(t); },
           [](T& t, const std::vector<double>& v) { setCell(t, v); },
           "The lattice constants (a, b, c, alpha, beta, gamma) in ångström and degrees. Set "
           "from six numbers, three edges (right angles) or one edge (a cube).")
        .def_property(
            "matrix", [](const T& t) { return matrixArray(hmatrix(t)); },
            [](T& t, const Doubles& m) { setMatrix(t, m); },
            "The 3×3 cell matrix in ångström whose columns are the cell vectors a, b, c "
            "(a along x, b in the xy-plane); Cartesian = matrix @ fractional. Setting it keeps "
            "only its lattice constants.")
        .def_property_readonly("volume", [](const T& t) { return t.GetVolume(); },
                               "The cell volume in cubic ångström.")
        .def_property_readonly("density", [](const T& t) { return t.GetDensity() * 1e24; },
                               "Atom masses over the cell volume, in g/cm³.")
        .def_property(
            "positions",
            [](const T& t) {
                const Matrix H = hmatrix(t);
                return positionsOf(static_cast<const Set&>(t), raw(H));
            },
            [](T& t, const Doubles& xyz) {
                const Matrix Hinv = inverseHmatrix(t);
                setPositions(static_cast<Set&>(t), xyz, raw(Hinv));
            },
            "Cartesian positions of all atoms in ångström, an (n, 3) array; setting it stores "
            "the fractional coordinates of the rows given.")
        .def_property(
            "fractional_positions",
            [](const T& t) { return positionsOf(static_cast<const Set&>(t), nullptr); },
            [](T& t, const Doubles& xyz) { setPositions(static_cast<Set&>(t), xyz, nullptr); },
            "Fractional coordinates of all atoms, as the structure keeps them.")
        .def(
            "supercell",
            [](const T& t, int nx, int ny, int nz) {
                if (nx < 1 || ny < 1 || nz < 1)
                    throw py::value_error("supercell counts must be at least 1");
                return std::unique_ptr<T>(static_cast<T*>(t.CopySymmetry(nx, ny, nz)));
            },
            py::arg("nx"), py::arg("ny"), py::arg("nz"),
            "A new structure of nx × ny × nz cells: lengths scaled, atoms repeated.")
        .def("GetVolume", &T::GetVolume, "As volume.")
        .def("GetDensity", [](const T& t) { return t.GetDensity(); },
             "Density in g/Å³, as the library gives it.")
        .def("GetHmatrix", [](const T& t) { return matrixArray(hmatrix(t)); }, "As matrix.");
}

const char* kMoleculeDoc = R"(A molecule: atoms with Cartesian positions in ångström, and bonds.

    Molecule(names=(), positions=None, *, name="", masses=None, charges=None, radii=None,
             bonds=None, bond_types=None)

names are element or atom-type symbols; masses and radii default to the element table's.
bonds is an (m, 2) array of 0-based atom indexes, bond_types their codes ("1", "2", "3",
"AR", ...; "1" by default). A molecule taken from a MolCrystal holds fractional coordinates of
that crystal's cell and lives as long as the crystal.

The library's operation names (GetCenterOfMass, SetEulerAngle, ...) are available too.)";

} // namespace

void BindStructures(py::module_& m) {
    py::class_<KelDbMolecule> mol(m, "Molecule", kMoleculeDoc, py::dynamic_attr());
    mol.def(py::init([](const std::vector<std::string>& names, std::optional<Doubles> positions,
                        const std::string& name, std::optional<Doubles> masses,
                        std::optional<Doubles> charges, std::optional<Doubles> radii,
                        std::optional<Ints> bonds,
                        std::optional<std::vector<std::string>> bondTypes) {
                auto out = std::make_unique<KelDbMolecule>(name.c_str());
                if (!names.empty() || positions) {
                    if (!positions) throw py::value_error("names need positions");
                    appendAtoms(*out, names, *positions, masses, charges, radii);
                }
                appendBonds(*out, out->GetAtomCount(), bonds, bondTypes);
                return out;
            }),
            py::arg("names") = std::vector<std::string>{}, py::arg("positions") = py::none(),
            py::kw_only(), py::arg("name") = "", py::arg("masses") = py::none(),
            py::arg("charges") = py::none(), py::arg("radii") = py::none(),
            py::arg("bonds") = py::none(), py::arg("bond_types") = py::none());
    bindAtomArrays<decltype(mol), DbAtomVSet>(mol);
    mol.def_property(
           "positions", [](const KelDbMolecule& t) { return positionsOf<DbAtomVSet>(t, nullptr); },
           [](KelDbMolecule& t, const Doubles& xyz) { setPositions<DbAtomVSet>(t, xyz, nullptr); },
           "Atom positions, an (n, 3) float64 array (a copy); assigning an (n, 3) array "
           "writes the positions back.")
        .def_property_readonly(
            "bonds",
            [](const KelDbMolecule& t) {
                py::array_t<std::int64_t> out({static_cast<py::ssize_t>(t.GetBondCount()),
                                                py::ssize_t{2}});
                std::int64_t* o = out.mutable_data();
                for (POSITION p = t.GetBondHeadPosition(); p;) {
                    const DbBondV* b = t.GetBondNext(p);
                    *o++ = b->firstAtom - 1;
                    *o++ = b->secondAtom - 1;
                }
                return out;
            },
            "Bonds as an (m, 2) array of 0-based atom indexes.")
        .def_property_readonly(
            "bond_types",
            [](const KelDbMolecule& t) {
                POSITION p = t.GetBondHeadPosition();
                return NameArray(static_cast<std::size_t>(t.GetBondCount()), DbBond::kNameLength,
                                 [&](std::size_t) { return t.GetBondNext(p)->GetName(); });
            },
            "Bond type codes, one per bond: \"1\", \"2\", \"3\", \"AR\" (aromatic), ...")
        .def_property_readonly("mass", [](const KelDbMolecule& t) { return t.GetMass(); },
                               "The sum of the atom masses.")
        .def("center_of_mass", [](const KelDbMolecule& t) { return vec3(t.GetCenterOfMass()); },
             "The mass-weighted mean position.")
        .def(
            "principal_axes",
            [](const KelDbMolecule& t) {
                double R[3][3];
                t.GetInertiaMatrix(R);
                Matrix r;
                for (int i = 0; i < 3; ++i)
                    for (int j = 0; j < 3; ++j) r[i][j] = R[i][j];
                return matrixArray(r);
            },
            "The rotation (rows: principal axes in ascending order of moment) that takes the "
            "centred molecule onto its principal axes.")
        .def_property(
            "euler_angles",
            [](const KelDbMolecule& t) {
                double phi, theta, psi;
                t.GetEulerAngle(phi, theta, psi);
                return std::array<double, 3>{phi, theta, psi};
            },
            [](KelDbMolecule& t, const std::array<double, 3>& e) {
                t.SetEulerAngle(e[0], e[1], e[2]);
            },
            "z-x-z Euler angles (phi, theta, psi) in degrees of the orientation relative to the "
            "principal axes; setting them turns the molecule about its centre of mass.")
        .def(
            "zmatrix",
            [](const KelDbMolecule& t) {
                DbZmatVSet z;
                z.CreateZmat(t);
                const auto n = static_cast<py::ssize_t>(z.GetZmatCount());
                py::array_t<std::int64_t> refs({n, py::ssize_t{3}});
                py::array_t<double> values({n, py::ssize_t{3}});
                std::int64_t* r = refs.mutable_data();
                double* v = values.mutable_data();
                for (POSITION p = z.GetZmatHeadPosition(); p;) {
                    const DbZmatV* line = z.GetZmatNext(p);
                    *r++ = line->bondRef - 1, *r++ = line->angleRef - 1, *r++ = line->torsionRef - 1;
                    *v++ = line->bond, *v++ = line->angle, *v++ = line->torsion;
                }
                return py::make_tuple(refs, values);
            },
            "The Z-matrix as (refs, values): refs an (n, 3) array of 0-based reference atoms "
            "(bond, angle, torsion; -1 where the line has none), values the bond length (Å), "
            "angle and torsion (degrees).")
        .def(
            "add_atom",
            [](KelDbMolecule& t, const std::string& name, std::array<double, 3> position,
               std::optional<double> mass, double charge, std::optional<double> radius) {
                if (name.empty() || name.size() > DbAtom::kNameLength)
                    throw py::value_error("atom names have 1 to 4 characters");
                t.AppendAtom(t.CreateDbAtomV(name.c_str(),
                                             Vertex3D(position[0], position[1], position[2]),
                                             mass.value_or(tableMass(name)), charge,
                                             radius.value_or(tableRadius(name))));
                t.UpdateAtomTypeList();
            },
            py::arg("name"), py::arg("position"), py::arg("mass") = py::none(),
            py::arg("charge") = 0.0, py::arg("radius") = py::none(),
            "Appends an atom; mass and radius default to the element table's.")
        .def(
            "add_bond",
            [](KelDbMolecule& t, int i, int j, const std::string& type) {
                const int n = t.GetAtomCount();
                if (i < 0 || j < 0 || i >= n || j >= n || i == j)
                    throw py::index_error("a bond joins two different atoms among the " +
                                          std::to_string(n));
                t.AppendBond(t.CreateDbBondV(type.c_str(), i + 1, j + 1));
                t.UpdateBondTypeList();
            },
            py::arg("i"), py::arg("j"), py::arg("type") = "1",
            "Appends a bond between the atoms of 0-based indexes i and j.")
        .def("__repr__",
             [](const KelDbMolecule& t) {
                 return "<qrtzdb.Molecule '" + nameOf(t).cast<std::string>() + "': " +
                        std::to_string(t.GetAtomCount()) + " atoms, " +
                        std::to_string(t.GetBondCount()) + " bonds>";
             })
        // The library's names.
        .def("GetName", [](const KelDbMolecule& t) { return Text(t.GetName()); },
             "The name as stored, blanks included.")
        .def("SetName", [](KelDbMolecule& t, const std::string& s) { t.SetName(s.c_str()); },
             "Sets the name, cut to 16 bytes.")
        .def("GetAtomCount", &KelDbMolecule::GetAtomCount, "The number of atoms.")
        .def("GetBondCount", &KelDbMolecule::GetBondCount, "The number of bonds.")
        .def("GetCenterOfMass",
             [](const KelDbMolecule& t) { return vec3(t.GetCenterOfMass()); },
             "As center_of_mass().")
        .def("AtZero", &KelDbMolecule::AtZero, "Moves the centre of mass to the origin.")
        .def("OnInertiaAxis", &KelDbMolecule::OnInertiaAxis,
             "Turns the molecule about its centre of mass onto its principal axes.")
        .def("SetEulerAngle", &KelDbMolecule::SetEulerAngle, py::arg("phi"), py::arg("theta"),
             py::arg("psi"), "As setting euler_angles.")
        .def(
            "GetEulerAngle",
            [](const KelDbMolecule& t) {
                double a, b, c;
                t.GetEulerAngle(a, b, c);
                return py::make_tuple(a, b, c);
            },
            "As euler_angles.");

    py::class_<KelDbCrystal> cry(m, "Crystal", R"(A crystal: atoms in a unit cell.

    Crystal(names=(), fractional_positions=None, cell=(1.0,), *, name="", masses=None,
            charges=None, radii=None)

The atoms are kept in fractional coordinates; positions gives them in ångström.)");
    cry.def(py::init([](const std::vector<std::string>& names,
                        std::optional<Doubles> fractional, const std::vector<double>& cell,
                        const std::string& name, std::optional<Doubles> masses,
                        std::optional<Doubles> charges, std::optional<Doubles> radii) {
                auto out = std::make_unique<KelDbCrystal>();
                out->SetName(name.c_str());
                setCell(*out, cell);
                if (!names.empty() || fractional) {
                    if (!fractional) throw py::value_error("names need fractional_positions");
                    appendAtoms(*out, names, *fractional, masses, charges, radii);
                }
                return out;
            }),
            py::arg("names") = std::vector<std::string>{},
            py::arg("fractional_positions") = py::none(),
            py::arg("cell") = std::vector<double>{1.0}, py::kw_only(), py::arg("name") = "",
            py::arg("masses") = py::none(), py::arg("charges") = py::none(),
            py::arg("radii") = py::none());
    bindAtomArrays<decltype(cry), DbAtomVSet>(cry);
    bindCell<decltype(cry), DbAtomVSet>(cry);
    cry.def("__repr__", [](const KelDbCrystal& t) {
        return "<qrtzdb.Crystal '" + nameOf(t).cast<std::string>() + "': " + std::to_string(t.GetAtomCount()) +
               " atoms>";
    });

    py::class_<KelDbMolCrystal> mcr(m, "MolCrystal", R"(A molecular crystal: molecules in a unit cell.

    MolCrystal(cell=(1.0,), *, name="")

Molecules of one species share a name. molecules lists them (their positions are fractional
coordinates of the cell); positions and the other per-atom arrays cover all atoms, molecule
after molecule. The lattice builders sc, fcc, bcc and dia fill a new crystal.)");
    mcr.def(py::init([](const std::vector<double>& cell, const std::string& name) {
                auto out = std::make_unique<KelDbMolCrystal>();
                out->SetName(name.c_str());
                setCell(*out, cell);
                return out;
            }),
            py::arg("cell") = std::vector<double>{1.0}, py::kw_only(), py::arg("name") = "");
    bindAtomArrays<decltype(mcr), DbMoleculeSet>(mcr);
    bindCell<decltype(mcr), DbMoleculeSet>(mcr);
    mcr.def_property_readonly(
           "molecules",
           [](py::object self) {
               const auto& t = self.cast<const KelDbMolCrystal&>();
               py::list out;
               for (POSITION p = t.GetMolHeadPosition(); p;) {
                   auto* mol = dynamic_cast<KelDbMolecule*>(t.GetMolNext(p));
                   if (!mol) throw py::type_error("a molecule of this crystal has no file format");
                   // Each molecule keeps the crystal alive.
                   out.append(py::cast(mol, py::return_value_policy::reference_internal, self));
               }
               return out;
           },
           "The molecules in order, each a Molecule in fractional coordinates that stays valid "
           "while the crystal does.")
        .def(
            "add_molecule",
            [](KelDbMolCrystal& t, const KelDbMolecule& mol, bool fractional) {
                auto copy = copyOf(mol);
                if (!fractional) {
                    const Matrix Hinv = inverseHmatrix(t);
                    copy->Transform(raw(Hinv));
                }
                t.AppendMol(copy.release());
                t.UpdateMolTypeList();
            },
            py::arg("molecule"), py::arg("fractional") = false,
            "Appends a copy of molecule; its positions are Cartesian unless fractional is set.")
        .def("__repr__", [](const KelDbMolCrystal& t) {
            return "<qrtzdb.MolCrystal '" + nameOf(t).cast<std::string>() + "': " + std::to_string(t.GetMolCount()) +
                   " molecules, " + std::to_string(t.GetAtomCount()) + " atoms>";
        });
    for (const Lattice& lattice : kLattices) {
        const std::string doc =
            std::string("A molecular crystal of n × n × n ") + lattice.name +
            " cells holding species: an element symbol or a Molecule (Cartesian). constant is "
            "the lattice constant in ångström (default: 3 Å between neighbouring atoms, or "
            "between the outermost atoms of neighbouring molecules). Molecules sit on their "
            "principal axes turned by euler (phi, theta, psi in degrees), or each in its own "
            "random orientation with random_orientation, reproducibly for a given seed.";
        mcr.def_static(
            lattice.name,
            [&lattice](const py::object& species, int n, std::optional<double> constant,
                       std::optional<std::array<double, 3>> euler, bool random,
                       std::uint64_t seed) {
                return build(lattice, species, n, constant, euler, random, seed);
            },
            py::arg("species"), py::arg("n"), py::kw_only(), py::arg("constant") = py::none(),
            py::arg("euler") = py::none(), py::arg("random_orientation") = false,
            py::arg("seed") = 1, doc.c_str());
    }

    // The library's class names, for those who know them.
    m.attr("KelDbMolecule") = mol;
    m.attr("KelDbCrystal") = cry;
    m.attr("KelDbMolCrystal") = mcr;
}

} // namespace qrtz::python
