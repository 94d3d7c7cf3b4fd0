#pragma once

#include "common/notice.h"

#include <deque>
#include <vector>

namespace tavrino::test {

// Answers questions as scripted (Yes when nothing is scripted) and keeps what was said.
class RecordingPrompter : public Prompter {
public:
    void tell(const Notice& notice) override { told.push_back(notice); }
    bool ask(const Notice& question) override {
        asked.push_back(question);
        if (answers.empty()) {
            return true;
        }
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::vector<Notice> told;
    std::vector<Notice> asked;
    std::deque<bool> answers;
};

} // namespace tavrino::test
