#include "database/file_io.h"

#include "database/file_problem.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace tavrino {
namespace fs = std::filesystem;

namespace {

std::string errnoText() {
    return std::strerror(errno);
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

[[noreturn]] void writeFailed(const fs::path& path, const std::string& why) {
    throw FileProblem(FileProblem::Kind::WriteFailed, path.string(), why);
}

struct Temporary {
    fs::path temp;
    fs::path target;
};

Temporary writeTemporary(const FileToWrite& file, std::optional<mode_t> wanted) {
    const fs::path folder =
        file.path.parent_path().empty() ? fs::path(".") : file.path.parent_path();
    std::string pattern = (folder / ("." + file.path.filename().string() + ".tmp-XXXXXX")).string();
    FileDescriptor fd(::mkstemp(pattern.data()));
    if (fd.get() < 0) {
        writeFailed(file.path,
                    "cannot create a temporary file in " + folder.string() + ": " + errnoText());
    }
    Temporary result{pattern, file.path};
    auto discard = [&](const std::string& why) {
        ::unlink(pattern.c_str());
        writeFailed(file.path, why);
    };
    struct stat existing {};
    const mode_t mode = wanted                                      ? *wanted
                        : ::stat(file.path.c_str(), &existing) == 0 ? (existing.st_mode & 07777)
                                                                    : 0644;
    if (::fchmod(fd.get(), mode) != 0) {
        discard("cannot set permissions: " + errnoText());
    }
    std::size_t written = 0;
    while (written < file.bytes.size()) {
        const ssize_t n =
            ::write(fd.get(), file.bytes.data() + written, file.bytes.size() - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            discard("writing failed: " + errnoText());
        }
        written += static_cast<std::size_t>(n);
    }
    if (::fsync(fd.get()) != 0) {
        discard("flushing failed: " + errnoText());
    }
    if (::close(fd.release()) != 0) {
        discard("closing failed: " + errnoText());
    }
    return result;
}

void syncFolder(const fs::path& folder) {
    FileDescriptor fd(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY));
    if (fd.get() >= 0) {
        ::fsync(fd.get());
    }
}

} // namespace

std::optional<Bytes> readWholeFile(const fs::path& path) {
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        if (errno == ENOENT) {
            return std::nullopt;
        }
        throw FileProblem(FileProblem::Kind::Unreadable, path.string(),
                          "cannot open the file: " + errnoText());
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        throw FileProblem(FileProblem::Kind::Unreadable, path.string(), "not a readable file");
    }
    Bytes bytes(static_cast<std::size_t>(info.st_size));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::read(fd.get(), bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            throw FileProblem(FileProblem::Kind::Unreadable, path.string(),
                              "reading failed: " + errnoText());
        }
        if (n == 0) {
            bytes.resize(done); // the file shrank while we read it
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    return bytes;
}

namespace {

void writeAll(const std::vector<FileToWrite>& files, std::optional<mode_t> mode) {
    std::vector<Temporary> temporaries;
    try {
        for (const auto& file : files) {
            if (fs::is_directory(file.path)) {
                writeFailed(file.path, "a folder of that name is in the way");
            }
            temporaries.push_back(writeTemporary(file, mode));
        }
    } catch (...) {
        for (const auto& t : temporaries) {
            ::unlink(t.temp.c_str());
        }
        throw;
    }
    for (std::size_t i = 0; i < temporaries.size(); ++i) {
        if (::rename(temporaries[i].temp.c_str(), temporaries[i].target.c_str()) != 0) {
            const std::string why = "replacing the file failed: " + errnoText();
            for (std::size_t k = i; k < temporaries.size(); ++k) {
                ::unlink(temporaries[k].temp.c_str());
            }
            writeFailed(temporaries[i].target, why);
        }
    }
    for (const auto& t : temporaries) {
        syncFolder(t.target.parent_path());
    }
}

} // namespace

void writeFilesAtomically(const std::vector<FileToWrite>& files) {
    writeAll(files, std::nullopt);
}

void writeFileAtomically(const fs::path& path, std::span<const std::uint8_t> bytes) {
    writeAll({{path, bytes}}, std::nullopt);
}

void writeFileAtomically(const fs::path& path, std::span<const std::uint8_t> bytes, unsigned mode) {
    writeAll({{path, bytes}}, static_cast<mode_t>(mode));
}

} // namespace tavrino
