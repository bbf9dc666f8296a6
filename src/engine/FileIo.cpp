#include "engine/FileIo.h"

#include "engine/ErrorText.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <random>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace plainora::engine {

namespace {

// Small documents are read: the copy costs less than the mapping's page
// faults and the unmapping's interruption of the other threads.
constexpr std::size_t kReadRatherThanMapBytes = 1024 * 1024;

std::string systemReason(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
        return "permission was denied";
    case ENOSPC:
        return "the disk is full";
    case EROFS:
        return "the folder is on a read-only file system";
    case ENOENT:
        return "the folder does not exist";
    case ENAMETOOLONG:
        return "the name is too long";
    case EISDIR:
        return "a folder of that name exists";
    default:
        return std::strerror(error);
    }
}

std::string folderOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

} // namespace

Result<MappedFile> MappedFile::open(const std::string& path, std::uint64_t maxBytes)
{
    // O_NONBLOCK: opening a named pipe would otherwise wait for a writer
    // forever; the check below then turns it away. Regular files ignore it.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        const int error = errno;
        if (error == ENOENT || error == ENOTDIR)
            return fileNotFound();
        return fileUnreadable(systemReason(error));
    }
    struct stat info
    {
    };
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return notRegularFile();
    }
    if (static_cast<std::uint64_t>(info.st_size) > maxBytes) {
        ::close(fd);
        return inputTooLarge(maxBytes);
    }
    if (info.st_size == 0) {
        ::close(fd);
        return MappedFile(nullptr, 0);
    }
    const auto size = static_cast<std::size_t>(info.st_size);
    if (size <= kReadRatherThanMapBytes) {
        auto copy = std::make_unique_for_overwrite<std::uint8_t[]>(size);
        std::size_t got = 0;
        while (got < size) {
            const ssize_t n = ::read(fd, copy.get() + got, size - got);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                const int error = errno;
                ::close(fd);
                return fileUnreadable(systemReason(error));
            }
            if (n == 0)
                break; // the file shrank since fstat: what is there
            got += static_cast<std::size_t>(n);
        }
        ::close(fd);
        return MappedFile(std::move(copy), got);
    }
    void* data = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    const int error = errno;
    ::close(fd);
    if (data == MAP_FAILED)
        return fileUnreadable(systemReason(error));
    ::madvise(data, size, MADV_SEQUENTIAL);
    return MappedFile(static_cast<const std::uint8_t*>(data), size);
}

MappedFile::MappedFile(MappedFile&& other) noexcept
    : m_data(std::exchange(other.m_data, nullptr)), m_size(std::exchange(other.m_size, 0)),
      m_copy(std::move(other.m_copy))
{
}

MappedFile& MappedFile::operator=(MappedFile&& other) noexcept
{
    if (this != &other) {
        if (m_data && !m_copy)
            ::munmap(const_cast<std::uint8_t*>(m_data), m_size);
        m_data = std::exchange(other.m_data, nullptr);
        m_size = std::exchange(other.m_size, 0);
        m_copy = std::move(other.m_copy);
    }
    return *this;
}

MappedFile::~MappedFile()
{
    if (m_data && !m_copy)
        ::munmap(const_cast<std::uint8_t*>(m_data), m_size);
}

namespace {

// A name taken already only costs another try, so without a random device
// the clock will do.
std::uint_fast32_t temporaryNameSeed()
{
    try {
        return std::random_device{}();
    } catch (const std::exception&) {
        return static_cast<std::uint_fast32_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    }
}

// folder/.plainora- and six random letters, as mkstemp names its files.
std::string temporaryName(const std::string& folder)
{
    static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::minstd_rand random(temporaryNameSeed());
    std::uniform_int_distribution<std::size_t> letter(0, sizeof kLetters - 2);
    std::string name = folder + "/.plainora-";
    for (int i = 0; i < 6; ++i)
        name += kLetters[letter(random)];
    return name;
}

// A new file of a random name in folder, as mkstemp makes, but created with
// the mode of an ordinary user file: 0666 less the umask, which the kernel
// applies. Reading the umask would take setting it, which another thread
// creating a file or folder at that moment would feel.
int createTemporaryFile(const std::string& folder, std::string& name)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = temporaryName(folder);
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1; // errno is EEXIST
}

// 0, or the errno of the write that failed.
int writeAll(int fd, std::string_view bytes)
{
    const char* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    return 0;
}

// Links the file that /proc/self/fd/N names beside path under a temporary
// name; the name, or empty when that failed.
std::string linkBeside(const std::string& self, const std::string& path)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = temporaryName(folderOf(path));
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0)
            return name;
        if (errno != EEXIST)
            break;
    }
    return {};
}

// Writes the file as an unnamed one in its folder and names it when
// complete. Creating a named file allocates its inode while holding the
// folder's lock, for hundreds of microseconds on a busy file system, so jobs
// writing into one folder would wait for each other; an unnamed file is made
// outside that lock, and naming a new file is one change to the folder where
// a temporary file and its renaming are two. False when any step failed
// (no O_TMPFILE, no /proc, a full disk): nothing is left behind, and the
// caller writes a temporary file, which reports what is wrong.
bool writeUnnamedFile(const std::string& path, std::string_view bytes)
{
    // The kernel applies the umask to the mode, as for any new file.
    const int fd = ::open(folderOf(path).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    if (writeAll(fd, bytes) != 0) {
        ::close(fd);
        return false;
    }
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    std::string named = path;
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) != 0) {
        // An existing file is replaced by renaming, once this one is closed.
        named = errno == EEXIST ? linkBeside(self, path) : std::string();
    }
    if (::close(fd) != 0 || named.empty()) {
        if (!named.empty())
            ::unlink(named.c_str());
        return false;
    }
    if (named != path && ::rename(named.c_str(), path.c_str()) != 0) {
        ::unlink(named.c_str());
        return false;
    }
    return true;
}

} // namespace

Status writeFileAtomically(const std::string& path, std::string_view bytes)
{
    if (writeUnnamedFile(path, bytes))
        return {};
    std::string temp;
    const int fd = createTemporaryFile(folderOf(path), temp);
    if (fd < 0)
        return outputFolderUnwritable(folderOf(path), systemReason(errno));
    auto fail = [&](int error) -> Status {
        ::close(fd);
        ::unlink(temp.c_str());
        return outputUnwritable(path, systemReason(error));
    };
    if (const int error = writeAll(fd, bytes); error != 0)
        return fail(error);
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        return outputUnwritable(path, systemReason(error));
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        return outputUnwritable(path, systemReason(error));
    }
    return {};
}

} // namespace plainora::engine
