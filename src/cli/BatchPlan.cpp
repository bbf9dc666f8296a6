#include "cli/BatchPlan.h"

#include "engine/DocumentNames.h"
#include "rules/FolderScan.h"
#include "rules/OutputFolder.h"
#include "rules/OutputNaming.h"
#include "rules/PathKind.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <sys/stat.h>
#include <unordered_map>
#include <utility>

namespace plainora::cli {

namespace {

using FolderIdentity = std::pair<dev_t, ino_t>;

std::string joinPath(const std::string& folder, const std::string& name)
{
    if (folder.empty() || folder.back() == '/')
        return folder + name;
    return folder + "/" + name;
}

// Visible subfolders of folder, in byte order; symbolic links are not
// followed, so a link back up the tree cannot make the walk endless.
std::vector<std::string> visibleSubfolders(const std::string& folder)
{
    std::vector<std::string> names;
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
    if (!dir)
        return names;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name.empty() || name[0] == '.')
            continue;
        bool isFolder = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN) {
            struct stat info
            {
            };
            isFolder = ::lstat(joinPath(folder, name).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
        }
        if (isFolder)
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::optional<FolderIdentity> identityOf(const std::string& path)
{
    struct stat info
    {
    };
    if (::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return FolderIdentity{info.st_dev, info.st_ino};
}

void collectFolder(const std::string& root, bool recursive, std::vector<PlannedDocument>& documents)
{
    struct Pending
    {
        std::string path;
        std::string relative;
    };
    std::set<FolderIdentity> visited;
    std::vector<Pending> stack{{root, ""}};
    while (!stack.empty()) {
        Pending folder = std::move(stack.back());
        stack.pop_back();
        if (const auto identity = identityOf(folder.path); !identity || !visited.insert(*identity).second)
            continue;
        std::vector<std::string> names = ScanFolderForDocuments(folder.path, engine::isReadableDocumentName);
        std::sort(names.begin(), names.end());
        for (const std::string& name : names)
            documents.push_back({joinPath(folder.path, name), folder.relative, {}, kNoDocument, {}});
        if (!recursive)
            continue;
        const std::vector<std::string> subfolders = visibleSubfolders(folder.path);
        for (auto it = subfolders.rbegin(); it != subfolders.rend(); ++it)
            stack.push_back({joinPath(folder.path, *it), joinPath(folder.relative, *it)});
    }
}

std::string skipReason(const std::string& path)
{
    struct stat info
    {
    };
    if (::stat(path.c_str(), &info) != 0)
        return errno == EACCES ? "permission denied" : "no such file or folder";
    if (!S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode))
        return "neither a regular file nor a folder";
    return "hidden files and folders (names beginning with \".\") are left out";
}

std::string creationReason(int error)
{
    switch (error) {
    case ENOENT:
        return "its parent folder does not exist (only the last folder of the path is created)";
    case EEXIST:
        return "a file of that name exists";
    case EACCES:
    case EPERM:
        return "permission was denied";
    case EROFS:
        return "the file system is read-only";
    default:
        return std::strerror(error);
    }
}

bool isSameFile(const std::string& source, const std::string& output)
{
    struct stat outputInfo
    {
    };
    struct stat sourceInfo
    {
    };
    // The output is the one usually missing: asked first, it spares a call.
    return ::stat(output.c_str(), &outputInfo) == 0 && ::stat(source.c_str(), &sourceInfo) == 0 &&
           outputInfo.st_dev == sourceInfo.st_dev && outputInfo.st_ino == sourceInfo.st_ino;
}

// Naming a few thousand documents costs a few stat calls each, all before the
// first one is converted. A folder that held nothing when first asked about
// holds no file or folder of any name until this run makes one, so its
// documents are named without asking the file system.
class EmptyFolders
{
public:
    bool isEmpty(const std::string& folder)
    {
        auto [it, isNew] = m_known.try_emplace(folder, false);
        if (isNew)
            it->second = holdsNothing(folder);
        return it->second;
    }

    // A folder made by the run changes what its parents hold.
    void forget() { m_known.clear(); }

private:
    static bool holdsNothing(const std::string& folder)
    {
        std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
        if (!dir)
            return false;
        for (;;) {
            errno = 0;
            const dirent* entry = ::readdir(dir.get());
            if (!entry)
                return errno == 0;
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
                return false;
        }
    }

    std::unordered_map<std::string, bool> m_known;
};

} // namespace

BatchPlan collectDocuments(const CliOptions& options)
{
    BatchPlan plan;
    for (const std::string& path : options.paths) {
        // Hidden entries are left out even when named.
        switch (IsDotNamed(path) ? PathKind::Nothing : GetPathKind(path)) {
        case PathKind::File:
            plan.documents.push_back({path, "", {}, kNoDocument, {}});
            break;
        case PathKind::Folder:
            collectFolder(path, options.recursive, plan.documents);
            break;
        case PathKind::Nothing:
            plan.skipped.push_back({path, skipReason(path)});
            break;
        }
    }
    return plan;
}

engine::Result<std::string> prepareOutputFolder(const std::string& typedFolder)
{
    const OutputFolderCheck check = resolveOutputFolder(typedFolder, MissingFolder::Create);
    switch (check.state) {
    case OutputFolderState::Ready:
        return check.folder;
    case OutputFolderState::NotCreated:
        return engine::makeError(engine::ErrorCode::OutputFailed,
                                 "The output folder \"" + check.folder +
                                     "\" could not be created: " + creationReason(check.error) + ".");
    case OutputFolderState::Empty:
    case OutputFolderState::Missing: // a typed folder is never refused as missing
        break;
    }
    return engine::makeError(engine::ErrorCode::OutputFailed, "The output folder name is empty.");
}

void nameOutputs(BatchPlan& plan, const std::string& outputFolder, bool keepTree)
{
    EmptyFolders emptyFolders;
    std::map<std::string, std::optional<engine::Error>> mirrored; // relative folder -> creation failure
    std::map<std::string, std::size_t> lastWriter;                // text file -> document index
    for (std::size_t i = 0; i < plan.documents.size(); ++i) {
        PlannedDocument& document = plan.documents[i];
        std::string folder = outputFolder;
        if (keepTree && !document.relativeFolder.empty()) {
            folder = outputFolder + document.relativeFolder + "/";
            auto [it, isNew] = mirrored.try_emplace(document.relativeFolder);
            if (isNew) {
                std::error_code error;
                std::filesystem::create_directories(folder, error);
                emptyFolders.forget();
                if (error)
                    it->second = engine::makeError(engine::ErrorCode::OutputFailed,
                                                   "The folder \"" + folder +
                                                       "\" could not be created: " + error.message() + ".");
            }
            if (it->second)
                document.presetError = it->second;
        }
        const std::string fileName = document.sourcePath.substr(document.sourcePath.rfind('/') + 1);
        const bool vacant = emptyFolders.isEmpty(folder);
        // An empty cleaned name makes the first try the folder itself.
        const auto folderExists = [&](const std::string& path) {
            return (!vacant || path.size() == folder.size()) && GetPathKind(path) == PathKind::Folder;
        };
        document.outputPath = MakeOutputBase(folder, CleanOutputName(fileName), folderExists) + ".txt";
        if (!document.presetError && !vacant && isSameFile(document.sourcePath, document.outputPath))
            document.presetError =
                engine::makeError(engine::ErrorCode::OutputFailed,
                                  "The text file \"" + document.outputPath +
                                      "\" would replace the document itself. Choose another output folder.");
        auto [it, isNew] = lastWriter.try_emplace(document.outputPath, i);
        if (!isNew) {
            document.replaces = it->second;
            it->second = i;
        }
    }
}

} // namespace plainora::cli
