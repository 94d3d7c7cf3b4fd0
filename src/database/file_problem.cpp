#include "database/file_problem.h"

namespace tavrino {
namespace {

std::string composeWhat(const std::string& path, const std::string& detail) {
    return path + ": " + detail;
}

} // namespace

FileProblem::FileProblem(Kind kind, std::string path, std::string detail)
    : std::runtime_error(composeWhat(path, detail)), kind_(kind), path_(std::move(path)),
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
        return {"Failure", detail_ + "\n\n" + path_, NoticeIcon::Exclamation};
    case Kind::WriteFailed:
        return {"Failure", "Could not save the file: " + detail_ + "\n\n" + path_,
                NoticeIcon::Critical};
    }
    return {"Failure", what(), NoticeIcon::Exclamation};
}

std::string FileProblem::oneLine() const {
    switch (kind_) {
    case Kind::EmptyFile:
        return path_ + ": Error occured: Empty file !!!";
    case Kind::Missing:
        return path_ + ": the file is missing";
    case Kind::OldVersion:
        return path_ + ": Version < 6 is not supported";
    default:
        return what();
    }
}

} // namespace tavrino
