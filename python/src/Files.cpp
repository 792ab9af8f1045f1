// Reading and writing structure files: the format table of the qrtz tool, files opened and
// written the way the tool does (output through a temporary file and a rename).
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <optional>
#include <memory>
#include <sstream>
#include <unistd.h>

#include "Bindings.h"
#include "qrtzdb/basis/FileStream.h"
#include "qrtzdb/basis/KelException.h"
#include "qrtzdb/formats/KelDbCrystal.h"
#include "qrtzdb/formats/KelDbMolCrystal.h"
#include "qrtzdb/formats/KelDbMolecule.h"
#include "qrtzdb/formats/SdRecordReader.h"

namespace qrtz::python {

namespace {

enum class Kind { molecule, crystal, molCrystal };

// One format: its name, the extension that selects it, what it holds, whether a file holds
// several records (SD files), and how a structure is read and written.
struct Format {
    const char* name;
    const char* extension;
    const char* description;
    Kind kind;
    bool records;
};

// The same table, in the same order, as the qrtz tool's: a .mol file is a molecular database
// unless the MDL format is asked for by name.
const Format kFormats[] = {
    {"mol", ".mol", "molecular database", Kind::molecule, false},
    {"cry", ".cry", "crystal database", Kind::crystal, false},
    {"mcr", ".mcr", "molecular crystal database", Kind::molCrystal, false},
    {"bdl", ".bdl", "bundle (molecular crystal for the simulator)", Kind::molCrystal, false},
    {"sdf", ".sdf", "MDL SD file, one molecule per record", Kind::molecule, true},
    {"mdl", ".mol", "MDL molfile", Kind::molecule, true},
    {"mop", ".mop", "MOPAC-style geometry text", Kind::molecule, false},
    {"qsf", ".qsf", "QSF object tables", Kind::molecule, false},
};

std::string extensionOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    const auto dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    std::string ext = path.substr(dot);
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

const Format& formatOf(const std::string& path, const std::optional<std::string>& name) {
    if (name) {
        for (const Format& f : kFormats)
            if (*name == f.name) return f;
        throw py::value_error("unknown format '" + *name +
                              "' (known: mol, cry, mcr, bdl, sdf, mdl, mop, qsf)");
    }
    const std::string ext = extensionOf(path);
    for (const Format& f : kFormats)
        if (ext == f.extension) return f;
    throw py::value_error(path + ": unknown file kind '" + ext +
                          "' (known: .mol .cry .mcr .bdl .sdf .mop .qsf; format= names one)");
}

// A MOPAC text written by us carries a partial charge after each symbol; one from elsewhere
// may not. The first atom line tells: a fifth field that is a number is a charge.
bool mopacHasCharges(std::FILE* file) {
    char counts[4096], atom[4096];
    const bool two = std::fgets(counts, sizeof counts, file) && std::fgets(atom, sizeof atom, file);
    std::rewind(file);
    if (!two) return false;
    std::istringstream fields(atom);
    std::string field;
    for (int i = 0; i < 5; ++i)
        if (!(fields >> field)) return false;
    char* end = nullptr;
    std::strtod(field.c_str(), &end);
    return end && *end == '\0';
}

// Runs body over a stream on path; failures name the file.
void withInput(const std::string& path, const std::function<void(std::FILE*, FileStream&)>& body) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) ThrowOsError(path, errno);
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> closer(file, &std::fclose);
    FileStream in(file);
    in.SetName(path.c_str());
    try {
        body(file, in);
    } catch (const FsException& e) {
        throw FormatFailure{path, e.Message(), e.code};
    }
}

// Writes through a temporary file beside path and renames it over path, so a failed write
// leaves any old file whole.
void withOutput(const std::string& path, const std::function<void(FileStream&)>& body) {
    const std::string temp = path + ".tmp" + std::to_string(::getpid());
    std::FILE* file = std::fopen(temp.c_str(), "wb");
    if (!file) ThrowOsError(path, errno);
    try {
        FileStream out(file);
        out.SetName(path.c_str());
        body(out);
    } catch (...) {
        std::fclose(file);
        std::remove(temp.c_str());
        try {
            throw;
        } catch (const FsException& e) {
            throw FormatFailure{path, e.Message(), e.code};
        }
    }
    bool ok = std::fflush(file) == 0 && ::fsync(::fileno(file)) == 0;
    ok = std::fclose(file) == 0 && ok;
    if (!ok || std::rename(temp.c_str(), path.c_str()) != 0) {
        const int error = errno;
        std::remove(temp.c_str());
        ThrowOsError(path, error);
    }
}

void readMolecule(const Format& f, KelDbMolecule& mol, std::FILE* file, FileStream& in,
                  int unite) {
    const std::string name = f.name;
    if (name == "mol") mol.ReadMoldb(in);
    else if (name == "sdf" || name == "mdl") mol.ReadMdl(in, unite);
    else if (name == "mop") mol.ReadMopac(in, mopacHasCharges(file) ? 1 : 0, unite);
    else mol.ReadQsf(in, unite);
}

// The data fields a molecule read from an SD file carries in its data dict, in dict order.
std::vector<SdDataField> dataFields(const py::object& mol) {
    std::vector<SdDataField> fields;
    if (!py::hasattr(mol, "data")) return fields;
    for (auto item : py::dict(mol.attr("data")))
        fields.push_back({py::str(item.first).cast<std::string>(),
                          py::str(item.second).cast<std::string>()});
    return fields;
}

void writeMolecule(const Format& f, KelDbMolecule& mol, FileStream& out,
                   const std::vector<SdDataField>& fields = {}) {
    const std::string name = f.name;
    mol.UpdateAtomTypeList();
    mol.UpdateBondTypeList();
    if (name == "mol") mol.WriteMoldb(out);
    else if (name == "sdf") mol.WriteMdl(out, fields);
    else if (name == "mdl") mol.WriteMdl(out);
    else if (name == "mop") mol.WriteMopac(out);
    else mol.WriteQsf(out);
}

const char* kindName(Kind kind) {
    switch (kind) {
    case Kind::molecule: return "Molecule";
    case Kind::crystal: return "Crystal";
    case Kind::molCrystal: return "MolCrystal";
    }
    return "structure";
}

py::object read(const std::string& path, const std::optional<std::string>& format, bool unite) {
    const Format& f = formatOf(path, format);
    switch (f.kind) {
    case Kind::crystal: {
        auto cry = std::make_unique<KelDbCrystal>();
        withInput(path, [&](std::FILE*, FileStream& in) { cry->ReadCrydb(in); });
        return py::cast(std::move(cry));
    }
    case Kind::molCrystal: {
        auto mcr = std::make_unique<KelDbMolCrystal>();
        withInput(path, [&](std::FILE*, FileStream& in) {
            if (std::string(f.name) == "mcr") mcr->ReadMcrdb(in);
            else mcr->ReadBdl(in);
        });
        return py::cast(std::move(mcr));
    }
    case Kind::molecule: break;
    }
    auto mol = std::make_unique<KelDbMolecule>();
    py::dict data;
    withInput(path, [&](std::FILE* file, FileStream& in) {
        if (std::string(f.name) != "sdf") return readMolecule(f, *mol, file, in, unite ? 1 : 0);
        // The first record, with its data fields.
        SdRecordReader records(in, SdRecordReader::STOP, unite ? 1 : 0);
        if (!records.ReadRecord(*mol)) throw FsException(1, path + ": no record in the file");
        for (const SdDataField& field : records.GetDataFields())
            data[Text(field.name)] = Text(field.value);
    });
    py::object out = py::cast(std::move(mol));
    if (std::string(f.name) == "sdf") out.attr("data") = data;
    return out;
}

void write(const std::string& path, const py::object& obj, const std::optional<std::string>& format) {
    const Format& f = formatOf(path, format);
    const auto wrong = [&](const std::string& what) {
        return py::type_error(path + ": a " + f.description + " holds a " + kindName(f.kind) +
                              ", not " + what);
    };
    if (f.kind == Kind::molecule) {
        std::vector<py::object> mols;
        if (py::isinstance<KelDbMolecule>(obj)) {
            mols.push_back(obj);
        } else if (f.records && py::isinstance<py::iterable>(obj) && !py::isinstance<py::str>(obj)) {
            for (py::handle item : obj) {
                if (!py::isinstance<KelDbMolecule>(item)) throw wrong("a sequence of other things");
                mols.push_back(py::reinterpret_borrow<py::object>(item));
            }
        } else {
            throw wrong(py::str(py::type::of(obj).attr("__name__")).cast<std::string>());
        }
        withOutput(path, [&](FileStream& out) {
            for (const py::object& mol : mols)
                writeMolecule(f, mol.cast<KelDbMolecule&>(), out, dataFields(mol));
        });
        return;
    }
    if (f.kind == Kind::crystal) {
        if (!py::isinstance<KelDbCrystal>(obj))
            throw wrong(py::str(py::type::of(obj).attr("__name__")).cast<std::string>());
        auto& cry = obj.cast<KelDbCrystal&>();
        cry.UpdateAtomTypeList();
        withOutput(path, [&](FileStream& out) { cry.WriteCrydb(out); });
        return;
    }
    if (!py::isinstance<KelDbMolCrystal>(obj))
        throw wrong(py::str(py::type::of(obj).attr("__name__")).cast<std::string>());
    auto& mcr = obj.cast<KelDbMolCrystal&>();
    withOutput(path, [&](FileStream& out) {
        if (std::string(f.name) == "mcr") mcr.WriteMcrdb(out);
        else mcr.WriteBdl(out, 1);
    });
}

// The molecules of an SD file one record at a time, through the library's record reader: only
// the record being read is held. Each molecule carries its data fields as the dict data and
// its 1-based record number as record.
class SdRecords {
public:
    SdRecords(const std::string& path, bool unite, bool skipBad)
        : m_path(path), m_file(std::fopen(path.c_str(), "rb"), &closeFile) {
        if (!m_file) ThrowOsError(path, errno);
        m_in = std::make_unique<FileStream>(m_file.get());
        m_in->SetName(path.c_str());
        m_reader = std::make_unique<SdRecordReader>(*m_in, skipBad ? SdRecordReader::SKIP
                                                                   : SdRecordReader::STOP,
                                                    unite ? 1 : 0);
        if (skipBad)
            m_reader->SetBadRecordSink([](const FsException& e, int, int) {
                py::module_::import("warnings").attr("warn")(Text(e.Message()));
            });
    }

    py::object Next() {
        if (!m_reader) throw py::stop_iteration();
        auto mol = std::make_unique<KelDbMolecule>();
        int got = 0;
        try {
            got = m_reader->ReadRecord(*mol);
        } catch (const FsException& e) {
            Close();
            throw FormatFailure{m_path, e.Message(), e.code};
        }
        if (!got) {
            Close();
            throw py::stop_iteration();
        }
        py::dict data;
        for (const SdDataField& field : m_reader->GetDataFields())
            data[Text(field.name)] = Text(field.value);
        py::object out = py::cast(std::move(mol));
        out.attr("data") = data;
        out.attr("record") = m_reader->GetRecordNumber();
        return out;
    }

    void Close() {
        m_reader.reset();
        m_in.reset();
        m_file.reset();
    }

private:
    static int closeFile(std::FILE* f) { return f ? std::fclose(f) : 0; }

    std::string m_path;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> m_file;
    std::unique_ptr<FileStream> m_in;
    std::unique_ptr<SdRecordReader> m_reader;
};

} // namespace

void BindFiles(py::module_& m) {
    py::class_<SdRecords>(m, "SdRecords", "The molecules of an SD file, one record at a time.")
        .def(py::init<const std::string&, bool, bool>(), py::arg("path"),
             py::arg("unite") = false, py::arg("skip_bad") = false)
        .def("__iter__", [](SdRecords& r) -> SdRecords& { return r; })
        .def("__next__", &SdRecords::Next)
        .def("close", &SdRecords::Close, "Closes the file before the last record.")
        .def("__enter__", [](SdRecords& r) -> SdRecords& { return r; })
        .def("__exit__", [](SdRecords& r, py::args) { r.Close(); });
    m.def("read", &read, py::arg("path"), py::arg("format") = py::none(),
          py::arg("unite") = false);
    m.def("write", &write, py::arg("path"), py::arg("obj"), py::arg("format") = py::none());
    m.def("formats", [] {
        py::list out;
        for (const Format& f : kFormats)
            out.append(py::make_tuple(f.name, f.extension, f.description, kindName(f.kind)));
        return out;
    });
    m.def(
        "to_mdl_block",
        [](KelDbMolecule& mol) {
            std::ostringstream text;
            {
                FileStream out(text);
                writeMolecule(kFormats[5], mol, out);
            }
            return py::bytes(text.str());
        },
        py::arg("molecule"));
    m.def(
        "from_mdl_block",
        [](const std::string& text, const std::string& name, bool unite) {
            auto mol = std::make_unique<KelDbMolecule>();
            std::istringstream lines(text);
            FileStream in(lines);
            in.SetName(name.c_str());
            try {
                mol->ReadMdl(in, unite ? 1 : 0);
            } catch (const FsException& e) {
                throw FormatFailure{name, e.Message(), e.code};
            }
            return mol;
        },
        py::arg("text"), py::arg("name") = "<MDL block>", py::arg("unite") = false);
}

} // namespace qrtz::python
