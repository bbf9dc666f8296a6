// plainora._native: the C library for Python. The conversion runs without
// the GIL, so threads of one interpreter convert in parallel; the Python
// layer (plainora/__init__.py) turns error numbers into exceptions.

// clang-format off
// Python.h (through pybind11) comes before any standard header, as it asks.
#include <pybind11/pybind11.h>
// clang-format on

#include "BatchPlanning.h"
#include "plainora/plainora.h"

#include <memory>
#include <string>

namespace py = pybind11;

namespace {

struct ResultDeleter
{
    void operator()(plainora_result* result) const { plainora_result_free(result); }
};
using ResultPointer = std::unique_ptr<plainora_result, ResultDeleter>;

// (0, text) or (error number, description).
py::tuple outcome(const ResultPointer& result)
{
    const int error = plainora_result_error(result.get());
    if (error != PLAINORA_OK)
        return py::make_tuple(error, py::str(plainora_result_description(result.get())));
    std::size_t length = 0;
    const char* text = plainora_result_text(result.get(), &length);
    // The engine writes UTF-8; "replace" keeps one stray byte from failing a whole document.
    PyObject* decoded = PyUnicode_DecodeUTF8(text, static_cast<Py_ssize_t>(length), "replace");
    if (!decoded)
        throw py::error_already_set();
    return py::make_tuple(0, py::reinterpret_steal<py::str>(decoded));
}

py::tuple extractPath(const py::bytes& path, unsigned options)
{
    std::string name = path;
    if (name.find('\0') != std::string::npos)
        throw py::value_error("embedded null byte");
    ResultPointer result;
    {
        py::gil_scoped_release release;
        result.reset(plainora_extract_file(name.c_str(), options));
    }
    return outcome(result);
}

py::tuple extractBuffer(const py::buffer& data, unsigned options)
{
    // A simple (contiguous, read-only) view; while it is held the exporter
    // cannot resize or free the bytes, so the GIL can be let go.
    Py_buffer view;
    if (PyObject_GetBuffer(data.ptr(), &view, PyBUF_SIMPLE) != 0)
        throw py::error_already_set();
    ResultPointer result;
    {
        py::gil_scoped_release release;
        result.reset(plainora_extract_memory(view.buf, static_cast<std::size_t>(view.len), options));
    }
    PyBuffer_Release(&view);
    return outcome(result);
}

} // namespace

PYBIND11_MODULE(_native, module)
{
    module.doc() = "The compiled part of plainora; use the functions of the plainora package.";
    module.def("extract_path", &extractPath, py::arg("path"), py::arg("options"),
               "Converts the file at path (bytes, file system encoding); returns (0, text) or "
               "(error number, description).");
    module.def("extract_buffer", &extractBuffer, py::arg("data"), py::arg("options"),
               "Converts the document held in a bytes-like object; returns (0, text) or "
               "(error number, description).");
    module.attr("HEADERS_FOOTERS") = static_cast<unsigned>(PLAINORA_HEADERS_FOOTERS);
    module.attr("COMMENTS") = static_cast<unsigned>(PLAINORA_COMMENTS);
    module.attr("version") = plainora_version();
    bindBatchPlanning(module);
}
