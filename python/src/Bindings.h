#pragma once
// What the parts of the _qrtzdb module share: array helpers, the structure types as Python sees
// them, and the failures that become Python exceptions.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <string>


namespace qrtz::python {

namespace py = pybind11;

using Doubles = py::array_t<double, py::array::c_style | py::array::forcecast>;
using Ints = py::array_t<std::int64_t, py::array::c_style | py::array::forcecast>;

// Malformed content of a named file: becomes qrtzdb.FormatError with the path.
struct FormatFailure {
    std::string path;
    std::string message;
    int code;
};

// Raises the OSError subclass of errno (FileNotFoundError, PermissionError, ...) for path.
[[noreturn]] void ThrowOsError(const std::string& path, int error);

// count names as a numpy unicode array of the given width, trailing blanks dropped; nameAt is
// called for 0, 1, 2 ... in order, so it may walk a list.
template <class Name>
py::array NameArray(std::size_t count, std::size_t width, Name nameAt);
std::string StripBlanks(std::string s);
// Text of the files (names, messages) as str: bytes that are not UTF-8 become U+FFFD.
py::str Text(const std::string& s);

void BindErrors(py::module_& m);
void BindStructures(py::module_& m);
void BindFiles(py::module_& m);
void BindSimulation(py::module_& m);
void BindTables(py::module_& m);

// ---- template definitions ----

template <class Name>
py::array NameArray(std::size_t count, std::size_t width, Name nameAt) {
    py::array out(py::dtype("<U" + std::to_string(width)),
                  std::vector<py::ssize_t>{static_cast<py::ssize_t>(count)});
    auto* code = static_cast<std::uint32_t*>(out.mutable_data());
    for (std::size_t i = 0; i < count; ++i) {
        const std::string name = StripBlanks(nameAt(i));
        for (std::size_t c = 0; c < width; ++c)
            code[i * width + c] =
                c < name.size() ? static_cast<unsigned char>(name[c]) : 0u;  // bytes as Latin-1
    }
    return out;
}

} // namespace qrtz::python
