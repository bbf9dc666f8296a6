#include "BatchPlanning.h"

#include "cli/BatchPlan.h"

#include <optional>
#include <pybind11/stl.h>
#include <string>
#include <vector>

namespace py = pybind11;

namespace {

// A description names paths, which need not be UTF-8; their bytes survive as
// os.fsdecode would give them.
py::str fileSystemText(const std::string& text)
{
    PyObject* decoded =
        PyUnicode_DecodeUTF8(text.data(), static_cast<Py_ssize_t>(text.size()), "surrogateescape");
    if (!decoded)
        throw py::error_already_set();
    return py::reinterpret_steal<py::str>(decoded);
}

py::object errorTuple(const std::optional<plainora::engine::Error>& error)
{
    if (!error)
        return py::none();
    return py::make_tuple(error->number(), fileSystemText(error->description));
}

// The planning of plainora-cli itself, so that a run on a cluster takes the
// same documents in the same order and names their files the same way.
py::tuple planBatch(const std::vector<py::bytes>& paths, const py::bytes& outputFolder, bool recursive,
                    bool keepTree)
{
    plainora::cli::CliOptions options;
    for (const py::bytes& path : paths)
        options.paths.emplace_back(path);
    options.outputFolder = outputFolder;
    options.recursive = recursive;
    options.keepTree = keepTree;

    plainora::cli::BatchPlan plan;
    std::optional<plainora::engine::Error> folderError;
    {
        // Scanning a large tree on a shared file system takes a while.
        py::gil_scoped_release release;
        auto folder = plainora::cli::prepareOutputFolder(options.outputFolder);
        if (folder) {
            plan = plainora::cli::collectDocuments(options);
            plainora::cli::nameOutputs(plan, folder.value(), options.keepTree);
        } else {
            folderError = folder.error();
        }
    }
    py::list documents;
    for (const plainora::cli::PlannedDocument& document : plan.documents) {
        py::object replaces = py::none();
        if (document.replaces != plainora::cli::kNoDocument)
            replaces = py::int_(document.replaces);
        documents.append(py::make_tuple(py::bytes(document.sourcePath), py::bytes(document.relativeFolder),
                                        py::bytes(document.outputPath), replaces,
                                        errorTuple(document.presetError)));
    }
    py::list skipped;
    for (const plainora::cli::SkippedPath& path : plan.skipped)
        skipped.append(py::make_tuple(py::bytes(path.path), py::str(path.reason)));
    return py::make_tuple(documents, skipped, errorTuple(folderError));
}

} // namespace

void bindBatchPlanning(py::module_& module)
{
    module.def("plan_batch", &planBatch, py::arg("paths"), py::arg("output_folder"), py::kw_only(),
               py::arg("recursive"), py::arg("keep_tree"),
               "Lists the documents paths (bytes) name and gives each its text file in output_folder, "
               "as plainora-cli does; the folder is created when missing. Returns (documents, skipped, "
               "folder_error): documents as (source, relative folder, text file, index of the earlier "
               "document it replaces or None, (error number, description) known before converting or "
               "None), skipped as (path, reason), folder_error None or (error number, description).");
}
