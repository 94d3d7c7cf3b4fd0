#pragma once

#include "common/notice.h"

#include <QColor>
#include <QString>
#include <filesystem>
#include <optional>

class QWidget;

namespace tavrino::app {

// Everything the window asks of a person. Message boxes and file dialogs in the program;
// scripted answers in tests.
class UserDialogs : public Prompter {
public:
    enum class UnsavedChoice { Save, Discard, Cancel };

    // Save, discard or keep unsaved edits before `beforeWhat` ("closing", ...) drops them.
    virtual UnsavedChoice askUnsavedChanges(const QString& beforeWhat) = 0;
    // The open dialog of "Open Files"; nullopt when cancelled.
    virtual std::optional<std::filesystem::path> chooseChannelFile(const QString& folder) = 0;
    // The all_channel.dat of a folder to compare the open lists with.
    virtual std::optional<std::filesystem::path> chooseFolderToCompare(const QString& folder) {
        return chooseChannelFile(folder);
    }
    // The save dialog of "Save Files": only the folder of the chosen name counts.
    virtual std::optional<std::filesystem::path> chooseSaveFolder(const QString& folder) = 0;
    // The two open dialogs of "Open : antenna_list.dat  &&  DVBS.dat".
    virtual std::optional<std::filesystem::path> chooseAntennaFile(const QString& folder) = 0;
    virtual std::optional<std::filesystem::path> chooseDvbsFile(const QString& folder) = 0;
    // The colour dialog of "Set Fore Color"; nullopt when cancelled.
    virtual std::optional<QColor> chooseColor(const QColor& initial) = 0;
    // A CSV file to write, starting at `suggested`; nullopt when cancelled (the default).
    virtual std::optional<std::filesystem::path> chooseCsvToWrite(const QString& /*title*/,
                                                                  const QString& /*suggested*/) {
        return std::nullopt;
    }
    // A CSV file to read, starting in `folder`; nullopt when cancelled (the default).
    virtual std::optional<std::filesystem::path> chooseCsvToRead(const QString& /*title*/,
                                                                 const QString& /*folder*/) {
        return std::nullopt;
    }
    // The window the dialogs sit on; focus returns to it when they close.
    virtual void setParentWidget(QWidget*) {}
    virtual QWidget* parentWidget() const { return nullptr; }
    // The open dialog of "Import from satellites.xml".
    virtual std::optional<std::filesystem::path> chooseSatellitesXml(const QString& folder) = 0;
};

// While it lives, dialogs sit on `window` (a window of its own, not the main one).
class DialogsOn {
public:
    DialogsOn(UserDialogs& dialogs, QWidget* window)
        : dialogs_(dialogs), before_(dialogs.parentWidget()) {
        dialogs_.setParentWidget(window);
    }
    ~DialogsOn() { dialogs_.setParentWidget(before_); }
    DialogsOn(const DialogsOn&) = delete;
    DialogsOn& operator=(const DialogsOn&) = delete;

private:
    UserDialogs& dialogs_;
    QWidget* before_;
};

class QtUserDialogs : public UserDialogs {
public:
    void setParentWidget(QWidget* parent) override { parent_ = parent; }
    QWidget* parentWidget() const override { return parent_; }

    void tell(const Notice& notice) override;
    bool ask(const Notice& question) override;
    UnsavedChoice askUnsavedChanges(const QString& beforeWhat) override;
    std::optional<std::filesystem::path> chooseChannelFile(const QString& folder) override;
    std::optional<std::filesystem::path> chooseFolderToCompare(const QString& folder) override;
    std::optional<std::filesystem::path> chooseSaveFolder(const QString& folder) override;
    std::optional<std::filesystem::path> chooseAntennaFile(const QString& folder) override;
    std::optional<std::filesystem::path> chooseDvbsFile(const QString& folder) override;
    std::optional<QColor> chooseColor(const QColor& initial) override;
    std::optional<std::filesystem::path> chooseCsvToWrite(const QString& title,
                                                          const QString& suggested) override;
    std::optional<std::filesystem::path> chooseCsvToRead(const QString& title,
                                                         const QString& folder) override;
    std::optional<std::filesystem::path> chooseSatellitesXml(const QString& folder) override;

private:
    QWidget* parent_ = nullptr;
};

} // namespace tavrino::app
