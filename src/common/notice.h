#pragma once

#include <string>

namespace tavrino {

enum class NoticeIcon { None, Information, Exclamation, Critical, Question };

// A message for the user: the core decides the words, the front end decides how to show them.
struct Notice {
    std::string title;
    std::string text;
    NoticeIcon icon = NoticeIcon::None;

    bool operator==(const Notice&) const = default;
};

inline Notice limitNotice(std::string text) {
    return {"Tavrino", std::move(text), NoticeIcon::Exclamation};
}

// An edit refused because of one box: its caption, and the message naming it.
struct FieldRefusal {
    std::string field;
    Notice notice;
};

// "<caption>: <problem> !!!"; a caption's trailing " :" is left out of the message.
inline FieldRefusal refuseField(const std::string& caption, const std::string& problem) {
    std::string name = caption;
    while (!name.empty() && (name.back() == ':' || name.back() == ' ')) {
        name.pop_back();
    }
    return {caption, limitNotice(name + ": " + problem + " !!!")};
}

inline Notice confirmQuestion(std::string text) {
    return {"Confirm", std::move(text), NoticeIcon::Question};
}

// The one way the core talks to a person: tell something, or ask Yes/No.
class Prompter {
public:
    virtual ~Prompter() = default;
    virtual void tell(const Notice& notice) = 0;
    virtual bool ask(const Notice& question) = 0;
};

} // namespace tavrino
