#pragma once

#include "app/user_dialogs.h"

#include <QStringList>
#include <deque>
#include <functional>
#include <vector>

namespace tavrino::test {

// Answers the window's questions as scripted and keeps everything it was told or asked.
class ScriptedDialogs : public app::UserDialogs {
public:
    using Path = std::optional<std::filesystem::path>;

    void tell(const Notice& notice) override {
        whenShown();
        told.push_back(notice);
    }
    bool ask(const Notice& question) override {
        whenShown();
        asked.push_back(question);
        const bool answer = yesNoAnswers.empty() ? false : yesNoAnswers.front();
        if (!yesNoAnswers.empty()) {
            yesNoAnswers.pop_front();
        }
        return answer;
    }
    UnsavedChoice askUnsavedChanges(const QString& beforeWhat) override {
        ++unsavedQuestions;
        unsavedMoments.push_back(beforeWhat);
        return unsavedAnswer;
    }
    Path chooseChannelFile(const QString& at) override { return started(at, nextChannelFile); }
    Path chooseSaveFolder(const QString& at) override { return started(at, nextSaveFolder); }
    Path chooseAntennaFile(const QString& at) override { return started(at, nextAntennaFile); }
    Path chooseDvbsFile(const QString& at) override { return started(at, nextDvbsFile); }
    std::optional<QColor> chooseColor(const QColor& initial) override {
        colorDialogStartedWith.push_back(initial);
        return nextColor;
    }
    Path chooseCsvToWrite(const QString&, const QString& suggested) override {
        suggestedCsv = suggested;
        return nextCsvToWrite;
    }
    Path chooseCsvToRead(const QString&, const QString& at) override {
        return started(at, nextCsvToRead);
    }
    Path chooseSatellitesXml(const QString& at) override { return started(at, nextSatellitesXml); }

    // Runs as each message or question shows, to look at the window behind it.
    std::function<void()> whenShown = [] {};
    std::vector<Notice> told;
    std::vector<Notice> asked;
    QStringList startFolders; // where each file dialog was asked to start
    std::deque<bool> yesNoAnswers;
    int unsavedQuestions = 0;
    QStringList unsavedMoments;
    UnsavedChoice unsavedAnswer = UnsavedChoice::Cancel;
    std::optional<std::filesystem::path> nextChannelFile;
    std::optional<std::filesystem::path> nextSaveFolder;
    std::optional<std::filesystem::path> nextAntennaFile;
    std::optional<std::filesystem::path> nextDvbsFile;
    std::vector<QColor> colorDialogStartedWith;
    std::optional<QColor> nextColor;
    std::optional<std::filesystem::path> nextCsvToWrite;
    std::optional<std::filesystem::path> nextCsvToRead;
    QString suggestedCsv;
    std::optional<std::filesystem::path> nextSatellitesXml;

private:
    // A file dialog asked to start at `folder`, answered with `next`.
    Path started(const QString& folder, const Path& next) {
        startFolders << folder;
        return next;
    }
};

} // namespace tavrino::test
