#pragma once

#include "common/notice.h"

#include <stdexcept>
#include <string>

namespace tavrino {

// Why a receiver file could not be read or written. Every refusal names the file.
// `detail` says what is wrong and where, as the end of a sentence without its full stop.
class FileProblem : public std::runtime_error {
public:
    // Busy: another Tavrino holds the folder (`path` is the folder); nothing was read or written.
    enum class Kind { EmptyFile, OldVersion, Damaged, Unreadable, WriteFailed, Missing, Busy };

    FileProblem(Kind kind, std::string path, std::string detail);

    Kind kind() const { return kind_; }
    const std::string& path() const { return path_; }
    const std::string& detail() const { return detail_; }

    // The message box the window shows: the sentence with the file name, then the full path.
    Notice notice() const;
    // The same sentence for a terminal, naming the full path; what() gives it too.
    std::string oneLine() const;

private:
    Kind kind_;
    std::string path_;
    std::string detail_;
};

} // namespace tavrino
