// The compiled part of the qrtzdb package. The Pythonic layer (qrtzdb/*.py) builds on it; the
// classes here keep the library's own operation names beside the Python ones.
#include <cerrno>
#include <cstring>

#include "Bindings.h"
#include "qrtzdb/Version.h"
#include "qrtzdb/basis/KelException.h"
#include "qrtzdb/platform/CFile.h"

namespace qrtz::python {

void ThrowOsError(const std::string& path, int error) {
    // OSError(errno, text, filename) picks the subclass that errno names.
    py::object e = py::reinterpret_steal<py::object>(
        PyObject_CallFunction(PyExc_OSError, "iss", error, std::strerror(error), path.c_str()));
    if (!e) throw py::error_already_set();
    PyErr_SetObject(reinterpret_cast<PyObject*>(Py_TYPE(e.ptr())), e.ptr());
    throw py::error_already_set();
}

std::string StripBlanks(std::string s) {
    s.erase(s.find_last_not_of(' ') + 1);
    return s;
}

py::str Text(const std::string& s) {
    return py::reinterpret_steal<py::str>(
        PyUnicode_DecodeUTF8(s.data(), static_cast<py::ssize_t>(s.size()), "replace"));
}

namespace {

void raiseFormatError(const std::string& message, const py::object& path, int code) {
    py::object type = py::module_::import("qrtzdb._errors").attr("FormatError");
    py::object e = type(Text(message), py::arg("path") = path, py::arg("code") = code);
    PyErr_SetObject(type.ptr(), e.ptr());
}

} // namespace

void BindErrors(py::module_& m) {
    (void)m;
    py::register_exception_translator([](std::exception_ptr p) {
        try {
            if (p) std::rethrow_exception(p);
        } catch (const FormatFailure& e) {
            std::string message = e.message;
            if (message.compare(0, e.path.size(), e.path) != 0)
                message = e.path + ": " + message;
            raiseFormatError(message, py::str(e.path), e.code);
        } catch (const FsException& e) {
            raiseFormatError(e.Message(), py::none(), e.code);
        } catch (const CFileException& e) {
            py::object error = py::reinterpret_steal<py::object>(PyObject_CallFunction(
                PyExc_OSError, "iss", e.m_lOsError, e.GetMessage().c_str(),
                e.m_strFileName.c_str()));
            if (error) PyErr_SetObject(reinterpret_cast<PyObject*>(Py_TYPE(error.ptr())),
                                       error.ptr());
        } catch (const KelException& e) {
            PyErr_SetObject(PyExc_RuntimeError, Text(e.Message()).ptr());
        }
    });
}

} // namespace qrtz::python

PYBIND11_MODULE(_qrtzdb, m) {
    using namespace qrtz::python;
    m.doc() = "The compiled core of qrtzdb: the library's structures, files, simulation results "
              "and tables. Use the qrtzdb package rather than this module.";
    m.attr("library_version") = qrtz::LibraryVersion();
    BindErrors(m);
    BindStructures(m);
    BindFiles(m);
    BindSimulation(m);
    BindTables(m);
}
