#pragma once

#include "link/profiles.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace tavrino::app {

class ColorSwatch;
class ProfileBook;
class UserDialogs;

// Tab 3, "Options": the connection profiles with their fields and colour, the telnet test
// buttons and the transcript of the conversation with the receiver.
class OptionsTab : public QWidget {
    Q_OBJECT
public:
    OptionsTab(ProfileBook& book, UserDialogs& dialogs, const QString& settingsFile,
               QWidget* parent = nullptr);

    // The boxes as typed: what the transfers and the telnet commands use, even before
    // "Update Profile" stores them.
    ConnectionProfile typedProfile() const;
    // Tells what keeps the boxes from reaching a receiver (a port outside 1-65535) and
    // returns false; a transfer or test then does not start.
    bool typedProfileUsable();
    bool backupBeforeSend() const;
    bool previewBeforeSend() const;

    // While a job with the receiver runs, none of the test buttons starts another. The focus
    // waits on the transcript meanwhile, not on the next box (where a Space would untick the
    // back-up), and returns to the button afterwards.
    void setLinkBusy(bool busy);
    // Text of the telnet conversation, lines ended by CR LF.
    void showTranscript(bool cleared, const QString& added);

signals:
    void testConnectionRequested();
    void testLoginRequested();
    void restartRequested();

private:
    QLineEdit* nameBox() const { return boxes_[0]; }
    QLineEdit* addressBox() const { return boxes_[1]; }
    QLineEdit* userBox() const { return boxes_[2]; }
    QLineEdit* passwordBox() const { return boxes_[3]; }
    QLineEdit* ftpPortBox() const { return boxes_[4]; }
    QLineEdit* telnetPortBox() const { return boxes_[5]; }
    QLineEdit* promptBox() const { return boxes_[6]; }
    void fillList();
    void showProfile(int index);
    void chooseForeColor();
    void requestIfUsable(void (OptionsTab::*request)());
    ProfileFields fields() const;

    ProfileBook& book_;
    UserDialogs& dialogs_;
    QString settingsFile_;
    QListWidget* profileList_;
    QLineEdit* boxes_[7];
    QLabel* captions_[7];
    QCheckBox* passive_;
    QPushButton* colorButton_;
    ColorSwatch* swatch_;
    QPushButton* add_;
    QPushButton* update_;
    QPushButton* remove_;
    QPushButton* testConnection_;
    QPushButton* testLogin_;
    QPushButton* restart_;
    QCheckBox* backup_;
    QCheckBox* preview_;
    QPlainTextEdit* transcript_;
    QPushButton* pressedWhileBusy_ = nullptr;
};

} // namespace tavrino::app
