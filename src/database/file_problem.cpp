#include "database/file_problem.h"

#include <filesystem>

namespace tavrino {
namespace {

std::string fileName(const std::string& path) {
    const std::string name = std::filesystem::path(path).filename().string();
    return name.empty() ? path : name;
}

// One sentence naming `file`: "<file> is damaged: <detail>."
std::string sentence(FileProblem::Kind kind, const std::string& file, const std::string& detail) {
    using Kind = FileProblem::Kind;
    switch (kind) {
    case Kind::EmptyFile:
        return file + ": Error occured: Empty file !!!";
    case Kind::Missing:
        return file + ": the file is missing";
    case Kind::OldVersion:
        return file + ": Version < 6 is not supported";
    case Kind::Damaged:
        return file + " is damaged: " + detail + ".";
    case Kind::Unreadable:
        return file + " cannot be read: " + detail + ".";
    case Kind::WriteFailed:
        return file + " could not be written: " + detail + ".";
    case Kind::Busy:
        return detail + ".";
    }
    return file + ": " + detail;
}

} // namespace

FileProblem::FileProblem(Kind kind, std::string path, std::string detail)
    : std::runtime_error(sentence(kind, path, detail)), kind_(kind), path_(std::move(path)),
      detail_(std::move(detail)) {}

Notice FileProblem::notice() const {
    switch (kind_) {
    case Kind::EmptyFile:
    case Kind::Missing:
        return {"Failure", "Error occured: Empty file !!!\n\n" + path_, NoticeIcon::Exclamation};
    case Kind::OldVersion:
        return {"Tavrino", "Version < 6 is not supported", NoticeIcon::None};
    case Kind::Damaged:
    case Kind::Unreadable:
        return {"Failure", sentence(kind_, fileName(path_), detail_) + "\n\n" + path_,
                NoticeIcon::Exclamation};
    case Kind::WriteFailed:
        return {"Failure", sentence(kind_, fileName(path_), detail_) + "\n\n" + path_,
                NoticeIcon::Critical};
    case Kind::Busy:
        return {"Tavrino", sentence(kind_, path_, detail_), NoticeIcon::Exclamation};
    }
    return {"Failure", what(), NoticeIcon::Exclamation};
}

std::string FileProblem::oneLine() const {
    return what();
}

} // namespace tavrino
