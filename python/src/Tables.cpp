// The element table and the clipboard the suite's programs share.
#include <memory>

#include "Bindings.h"
#include "qrtzdb/clipboard/UDataTrans.h"
#include "qrtzdb/environment/TblAtom.h"
#include "qrtzdb/platform/Clipboard.h"

namespace qrtz::python {

namespace {

// One row of the element table, looked up by symbol; changes last for the process.
class Element {
public:
    explicit Element(int row) : m_row(row) {}

    std::string Symbol() const { return StripBlanks(TblAtom::GetName(m_row)); }
    std::array<float, 4> Color() const {
        const Color4V& c = TblAtom::GetColor(m_row);
        return {c.r, c.g, c.b, c.a};
    }
    void SetColor(const std::vector<float>& c) {
        if (c.size() != 3 && c.size() != 4)
            throw py::value_error("a colour is (r, g, b) or (r, g, b, a), each 0 to 1");
        TblAtom::SetColor(m_row, Color4V(c[0], c[1], c[2], c.size() == 4 ? c[3] : 1.0f));
    }
    double Radius() const { return TblAtom::GetRadius(m_row); }
    void SetRadius(double r) { TblAtom::SetRadius(m_row, r); }
    double Mass() const { return TblAtom::GetMass(m_row); }
    void SetMass(double m) { TblAtom::SetMass(m_row, m); }
    int Number() const { return m_row + 1; }

private:
    int m_row;
};

void initFormats() {
    static const bool done = (UDataTransEx::Init(), true);
    (void)done;
}

py::object pasteNative(UDataTransEx& trans, COleDataObject& obj) {
    auto present = [&obj](UDataTransEx::UDFORMAT f) {
        return obj.IsDataAvailable(UDataTransEx::GetCbFormId(f));
    };
    auto unreadable = [](UDataTransEx::UDFORMAT f) {
        return py::value_error("the clipboard's " + UDataTransEx::m_strFormName[f] +
                               " text could not be read");
    };
    Vertex3D offset;
    if (present(UDataTransEx::UDF_MOLCRYSTAL)) {
        auto mcr = std::make_unique<KelDbMolCrystal>();
        if (!trans.GetData(&obj, mcr.get(), &offset)) throw unreadable(UDataTransEx::UDF_MOLCRYSTAL);
        return py::cast(std::move(mcr));
    }
    auto mol = std::make_unique<KelDbMolecule>();
    if (present(UDataTransEx::UDF_MOLECULE)) {
        if (!trans.GetData(&obj, mol.get(), &offset)) throw unreadable(UDataTransEx::UDF_MOLECULE);
        return py::cast(std::move(mol));
    }
    if (present(UDataTransEx::UDF_ATOM)) {
        KelDbAtomV atom;
        if (!trans.GetData(&obj, &atom)) throw unreadable(UDataTransEx::UDF_ATOM);
        mol->SetName(StripBlanks(atom.GetName()).c_str());
        mol->AppendAtom(static_cast<DbAtomV*>(atom.Copy()));
        mol->UpdateAtomTypeList();
        return py::cast(std::move(mol));
    }
    throw py::value_error("the clipboard holds no structure of this library's formats");
}

py::object paste(const std::string& format, bool unite) {
    std::vector<UDataTransEx::UDFORMAT> candidates;
    if (format == "mdl") candidates = {UDataTransEx::UDF_MDLCT};
    else if (format == "mopac")
        candidates = {UDataTransEx::UDF_MOLDATA, UDataTransEx::UDF_MOLDATA1,
                      UDataTransEx::UDF_MOLDATA2};
    else if (format != "kel")
        throw py::value_error("paste format is 'kel', 'mdl' or 'mopac', not '" + format + "'");
    initFormats();
    COleDataObject obj;
    if (!obj.AttachClipboard()) throw py::value_error("the clipboard is empty");
    UDataTransEx trans;
    if (format == "kel") return pasteNative(trans, obj);
    for (UDataTransEx::UDFORMAT f : candidates) {
        if (!obj.IsDataAvailable(UDataTransEx::GetCbFormId(f))) continue;
        auto mol = std::make_unique<KelDbMolecule>();
        Vertex3D offset;
        if (!trans.GetData(&obj, mol.get(), &offset, unite ? 1 : 0, f))
            throw py::value_error("the clipboard's " + UDataTransEx::m_strFormName[f] +
                                  " text could not be read");
        return py::cast(std::move(mol));
    }
    throw py::value_error("the clipboard holds no " + format + " text");
}

void copy(const py::object& obj) {
    initFormats();
    UDataTransEx trans;
    int done = 0;
    if (py::isinstance<KelDbMolecule>(obj)) {
        auto& mol = obj.cast<KelDbMolecule&>();
        mol.UpdateAtomTypeList();
        mol.UpdateBondTypeList();
        done = trans.CbSetData(&mol, Vertex3D());
    } else if (py::isinstance<KelDbMolCrystal>(obj)) {
        done = trans.CbSetData(&obj.cast<KelDbMolCrystal&>());
    } else {
        throw py::type_error("the clipboard takes a Molecule or a MolCrystal");
    }
    if (!done) throw py::value_error("the structure could not be written to the clipboard");
}

} // namespace

void BindTables(py::module_& m) {
    py::class_<Element>(m, "Element", "One row of the element table: symbol, colour, display "
                                      "radius and mass. Changes hold for this process.")
        .def_property_readonly("symbol", &Element::Symbol)
        .def_property_readonly("number", &Element::Number,
                               "The row number: the atomic number for the elements 1 to 103.")
        .def_property("color", &Element::Color, &Element::SetColor,
                      "Display colour (r, g, b, a), each 0 to 1.")
        .def_property("radius", &Element::Radius, &Element::SetRadius,
                      "Display radius in ångström.")
        .def_property("mass", &Element::Mass, &Element::SetMass, "Mass in atomic mass units.")
        .def("__repr__", [](const Element& e) {
            return "<qrtzdb.Element " + e.Symbol() + ": mass " + std::to_string(e.Mass()) +
                   ", radius " + std::to_string(e.Radius()) + ">";
        });
    m.def("element_row", [](const std::string& symbol) {
        const int row = TblAtom::FindIndex(symbol.c_str());
        if (row < 0 || symbol.empty()) throw py::key_error(symbol);
        return Element(row);
    });
    m.def("element_rows", [] {
        py::list out;
        for (int row = 0; row < TblAtom::kVarFirst; ++row) out.append(Element(row));
        return out;
    });
    m.def("clipboard_copy", &copy, py::arg("obj"));
    m.def("clipboard_paste", &paste, py::arg("format") = "kel", py::arg("unite") = false);
}

} // namespace qrtz::python
