#include "app/options/options_tab.h"

#include "app/options/color_swatch.h"
#include "app/options/profile_book.h"
#include "app/user_dialogs.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QVBoxLayout>

namespace tavrino::app {
namespace {

const char* const captionTexts[7] = {
    "Profile Name :", "IP Address of Orvix :", "User on Orvix :", "Pass on Orvix :",
    "FTP Port :",     "Telnet Port :",         "Command promt :"};
const char* const boxNames[7] = {"profileNameBox", "addressBox",    "userBox",  "passwordBox",
                                 "ftpPortBox",     "telnetPortBox", "promptBox"};
const char* const backupKey = "BackupBeforeSend";
const char* const previewKey = "PreviewBeforeSend";

QString text(const std::string& bytes) {
    return QString::fromStdString(bytes);
}

QPushButton* button(const char* caption, const char* name, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    return b;
}

} // namespace

OptionsTab::OptionsTab(ProfileBook& book, UserDialogs& dialogs, const QString& settingsFile,
                       QWidget* parent)
    : QWidget(parent), book_(book), dialogs_(dialogs), settingsFile_(settingsFile),
      profileList_(new QListWidget(this)), passive_(new QCheckBox("Passive", this)),
      colorButton_(button("Set Fore Color", "setForeColorButton", this)),
      swatch_(new ColorSwatch(this)), add_(button("Add Profile", "addProfileButton", this)),
      update_(button("Update Profile", "updateProfileButton", this)),
      remove_(button("Remove Profile", "removeProfileButton", this)),
      testConnection_(button("Test IP Connection", "testConnectionButton", this)),
      testLogin_(button("Test Username / Pass.", "testLoginButton", this)),
      restart_(button("Restart", "restartButton", this)),
      backup_(new QCheckBox("Back up the Orvix's files before sending", this)),
      preview_(new QCheckBox("Show what will change before sending", this)),
      transcript_(new QPlainTextEdit(this)) {
    setObjectName("optionsTab");
    profileList_->setObjectName("profileList");
    passive_->setObjectName("passiveBox");
    backup_->setObjectName("backupBox");
    preview_->setObjectName("previewBox");

    auto* profilesLabel = new QLabel("Profiles :", this);
    profilesLabel->setBuddy(profileList_);
    auto* listColumn = new QVBoxLayout;
    listColumn->addWidget(profilesLabel);
    listColumn->addWidget(profileList_, 1);

    auto* form = new QGridLayout;
    for (int i = 0; i < 7; ++i) {
        boxes_[i] = new QLineEdit(this);
        boxes_[i]->setObjectName(boxNames[i]);
        captions_[i] = new QLabel(captionTexts[i], this);
        captions_[i]->setBuddy(boxes_[i]);
        form->addWidget(captions_[i], i, 0);
        form->addWidget(boxes_[i], i, 1);
    }
    // Shown as dots: a screenshot of the tab must not give the password away.
    passwordBox()->setEchoMode(QLineEdit::Password);
    form->addWidget(passive_, 7, 1);
    auto* colorRow = new QHBoxLayout;
    colorRow->addWidget(colorButton_);
    colorRow->addWidget(swatch_);
    colorRow->addStretch(1);
    form->addLayout(colorRow, 8, 1);

    auto* profileButtons = new QVBoxLayout;
    profileButtons->addWidget(add_);
    profileButtons->addWidget(update_);
    profileButtons->addWidget(remove_);
    profileButtons->addStretch(1);
    profileButtons->addWidget(backup_);
    profileButtons->addWidget(preview_);

    auto* profiles = new QHBoxLayout;
    profiles->addLayout(listColumn, 2);
    profiles->addLayout(form, 3);
    profiles->addLayout(profileButtons, 2);

    testLogin_->setToolTip("Logs in with this profile over telnet (Telnet Port, as Restart does) "
                           "and over FTP (FTP Port, as Receive and Send do), and says which "
                           "login worked");

    auto* testButtons = new QHBoxLayout;
    testButtons->addWidget(testConnection_);
    testButtons->addWidget(testLogin_);
    testButtons->addWidget(restart_);
    testButtons->addStretch(1);

    transcript_->setObjectName("transcriptPane");
    transcript_->setReadOnly(true);
    transcript_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    QPalette green = transcript_->palette();
    green.setColor(QPalette::Base, Qt::black);
    green.setColor(QPalette::Text, QColor(0, 255, 0));
    transcript_->setPalette(green);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(profiles, 2);
    layout->addLayout(testButtons);
    layout->addWidget(transcript_, 3);

    // Down the list, the boxes and the buttons that act on them, then the receiver's.
    QWidget* tabOrder[] = {
        profileList_, boxes_[0],       boxes_[1],    boxes_[2], boxes_[3],  boxes_[4], boxes_[5],
        boxes_[6],    passive_,        colorButton_, add_,      update_,    remove_,   backup_,
        preview_,     testConnection_, testLogin_,   restart_,  transcript_};
    for (std::size_t i = 1; i < std::size(tabOrder); ++i) {
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    }

    // Both on unless turned off: a missing key is the safe choice.
    for (const auto& [box, stored] :
         {std::pair{backup_, backupKey}, std::pair{preview_, previewKey}}) {
        box->setChecked(
            QSettings(settingsFile_, QSettings::IniFormat).value(stored, true).toBool());
        connect(box, &QCheckBox::toggled, this, [this, key = stored](bool on) {
            QSettings(settingsFile_, QSettings::IniFormat).setValue(key, on);
        });
    }

    connect(profileList_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0) {
            book_.select(row);
        }
    });
    connect(add_, &QPushButton::clicked, this, [this] { book_.add(profileFromFields(fields())); });
    connect(update_, &QPushButton::clicked, this,
            [this] { book_.update(profileFromFields(fields())); });
    connect(remove_, &QPushButton::clicked, this, [this] { book_.remove(); });
    connect(colorButton_, &QPushButton::clicked, this, &OptionsTab::chooseForeColor);
    connect(swatch_, &ColorSwatch::clicked, this, &OptionsTab::chooseForeColor);
    connect(testConnection_, &QPushButton::clicked, this,
            [this] { requestIfUsable(&OptionsTab::testConnectionRequested); });
    connect(testLogin_, &QPushButton::clicked, this,
            [this] { requestIfUsable(&OptionsTab::testLoginRequested); });
    connect(restart_, &QPushButton::clicked, this,
            [this] { requestIfUsable(&OptionsTab::restartRequested); });

    connect(&book_, &ProfileBook::listChanged, this, &OptionsTab::fillList);
    connect(&book_, &ProfileBook::profileSelected, this, &OptionsTab::showProfile);
    connect(&book_, &ProfileBook::colorChanged, swatch_, &ColorSwatch::setColor);
    fillList();
    showProfile(book_.selected());
    swatch_->setColor(book_.activeColor());
}

ProfileFields OptionsTab::fields() const {
    return {nameBox()->text().toStdString(),
            addressBox()->text().toStdString(),
            userBox()->text().toStdString(),
            passwordBox()->text().toStdString(),
            ftpPortBox()->text().toStdString(),
            telnetPortBox()->text().toStdString(),
            passive_->isChecked(),
            promptBox()->text().toStdString()};
}

ConnectionProfile OptionsTab::typedProfile() const {
    ConnectionProfile profile = profileFromFields(fields());
    if (const ConnectionProfile* active = book_.active()) {
        profile.foreColor = active->foreColor;
    }
    return profile;
}

bool OptionsTab::typedProfileUsable() {
    if (const auto problem = portsProblem(typedProfile())) {
        dialogs_.tell(*problem);
        return false;
    }
    return true;
}

void OptionsTab::requestIfUsable(void (OptionsTab::*request)()) {
    if (typedProfileUsable()) {
        emit(this->*request)();
    }
}

bool OptionsTab::backupBeforeSend() const {
    return backup_->isChecked();
}

bool OptionsTab::previewBeforeSend() const {
    return preview_->isChecked();
}

void OptionsTab::fillList() {
    const QSignalBlocker quiet(profileList_);
    profileList_->clear();
    for (const auto& profile : book_.table().profiles()) {
        profileList_->addItem(text(profile.profileName));
    }
    profileList_->setCurrentRow(book_.selected());
}

void OptionsTab::showProfile(int index) {
    {
        const QSignalBlocker quiet(profileList_);
        profileList_->setCurrentRow(index);
    }
    const ConnectionProfile* profile = book_.active();
    if (profile == nullptr) {
        return;
    }
    const ProfileFields shown = fieldsOfProfile(*profile);
    const std::string* values[7] = {&shown.profileName, &shown.address, &shown.userName,
                                    &shown.password,    &shown.ftpPort, &shown.telnetPort,
                                    &shown.prompt};
    for (int i = 0; i < 7; ++i) {
        boxes_[i]->setText(text(*values[i]));
    }
    passive_->setChecked(shown.passive);
}

void OptionsTab::chooseForeColor() {
    if (const auto color = dialogs_.chooseColor(book_.activeColor())) {
        book_.setForeColor(*color);
    }
}

void OptionsTab::setLinkBusy(bool busy) {
    QWidget* focused = window()->focusWidget();
    if (busy) {
        pressedWhileBusy_ = nullptr;
        for (QPushButton* b : {testConnection_, testLogin_, restart_}) {
            if (b == focused) {
                pressedWhileBusy_ = b;
                transcript_->setFocus(Qt::OtherFocusReason); // before Qt passes it to the next box
            }
        }
    }
    for (QPushButton* b : {testConnection_, testLogin_, restart_}) {
        b->setEnabled(!busy);
    }
    if (!busy && pressedWhileBusy_ != nullptr && focused == transcript_) {
        pressedWhileBusy_->setFocus(Qt::OtherFocusReason);
        pressedWhileBusy_ = nullptr;
    }
}

void OptionsTab::showTranscript(bool cleared, const QString& added) {
    if (cleared) {
        transcript_->clear();
    }
    QString lines = added;
    lines.replace("\r\n", "\n");
    transcript_->moveCursor(QTextCursor::End);
    transcript_->insertPlainText(lines);
    transcript_->verticalScrollBar()->setValue(transcript_->verticalScrollBar()->maximum());
}

} // namespace tavrino::app
