#include "app/user_dialogs.h"

#include <QAbstractButton>
#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace tavrino::app {
namespace {

QMessageBox::Icon iconOf(NoticeIcon icon) {
    switch (icon) {
    case NoticeIcon::Information:
        return QMessageBox::Information;
    case NoticeIcon::Exclamation:
        return QMessageBox::Warning;
    case NoticeIcon::Critical:
        return QMessageBox::Critical;
    case NoticeIcon::Question:
        return QMessageBox::Question;
    default:
        return QMessageBox::NoIcon;
    }
}

std::filesystem::path toPath(const QString& text) {
    return std::filesystem::path(text.toStdString());
}

} // namespace

void QtUserDialogs::tell(const Notice& notice) {
    QMessageBox box(iconOf(notice.icon), QString::fromStdString(notice.title),
                    QString::fromStdString(notice.text), QMessageBox::Ok, parent_);
    box.exec();
}

bool QtUserDialogs::ask(const Notice& question) {
    QMessageBox box(iconOf(question.icon), QString::fromStdString(question.title),
                    QString::fromStdString(question.text), QMessageBox::Yes | QMessageBox::No,
                    parent_);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

UserDialogs::UnsavedChoice QtUserDialogs::askUnsavedChanges(const QString& beforeWhat) {
    QMessageBox box(QMessageBox::Question, "Tavrino",
                    QString("The channel list has changes that are not saved.\n\nSave them "
                            "before %1?")
                        .arg(beforeWhat),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent_);
    box.setDefaultButton(QMessageBox::Save);
    // Alt letters, as every other button of the window has.
    box.button(QMessageBox::Save)->setText("&Save");
    box.button(QMessageBox::Discard)->setText("&Discard");
    switch (box.exec()) {
    case QMessageBox::Save:
        return UnsavedChoice::Save;
    case QMessageBox::Discard:
        return UnsavedChoice::Discard;
    default:
        return UnsavedChoice::Cancel;
    }
}

std::optional<std::filesystem::path> QtUserDialogs::chooseChannelFile(const QString& folder) {
    const QString name = QFileDialog::getOpenFileName(
        parent_, "Open", QDir(folder).filePath("all_channel.dat"), " (all_channel.dat)");
    if (name.isEmpty()) {
        return std::nullopt;
    }
    return toPath(name);
}

std::optional<std::filesystem::path> QtUserDialogs::chooseFolderToCompare(const QString& folder) {
    const QString name = QFileDialog::getOpenFileName(
        parent_, "Compare With Folder: its all_channel.dat",
        QDir(folder).filePath("all_channel.dat"), " (all_channel.dat)");
    if (name.isEmpty()) {
        return std::nullopt;
    }
    return toPath(name);
}

std::optional<std::filesystem::path> QtUserDialogs::chooseSaveFolder(const QString& folder) {
    const QString name = QFileDialog::getSaveFileName(
        parent_, "Select Location", QDir(folder).filePath("Name is not used"), " (*.*)", nullptr,
        QFileDialog::DontConfirmOverwrite);
    if (name.isEmpty()) {
        return std::nullopt;
    }
    return toPath(QFileInfo(name).absolutePath());
}

std::optional<std::filesystem::path> QtUserDialogs::chooseAntennaFile(const QString& folder) {
    const QString name = QFileDialog::getOpenFileName(parent_, "Open antenna_list.dat File", folder,
                                                      "antenna_list.dat (antenna_list.dat)");
    return name.isEmpty() ? std::nullopt : std::optional(toPath(name));
}

std::optional<std::filesystem::path> QtUserDialogs::chooseDvbsFile(const QString& folder) {
    const QString name =
        QFileDialog::getOpenFileName(parent_, "Open DVBS.dat File", folder, "DVBS.dat (DVBS.dat)");
    return name.isEmpty() ? std::nullopt : std::optional(toPath(name));
}

std::optional<QColor> QtUserDialogs::chooseColor(const QColor& initial) {
    const QColor color = QColorDialog::getColor(initial, parent_, "Set Fore Color");
    if (!color.isValid()) {
        return std::nullopt;
    }
    return color;
}

std::optional<std::filesystem::path> QtUserDialogs::chooseCsvToWrite(const QString& title,
                                                                     const QString& suggested) {
    const QString name =
        QFileDialog::getSaveFileName(parent_, title, suggested, "CSV files (*.csv);;All files (*)");
    return name.isEmpty() ? std::nullopt : std::optional(toPath(name));
}

std::optional<std::filesystem::path> QtUserDialogs::chooseCsvToRead(const QString& title,
                                                                    const QString& folder) {
    const QString name =
        QFileDialog::getOpenFileName(parent_, title, folder, "CSV files (*.csv);;All files (*)");
    return name.isEmpty() ? std::nullopt : std::optional(toPath(name));
}

std::optional<std::filesystem::path> QtUserDialogs::chooseSatellitesXml(const QString& folder) {
    const QString name = QFileDialog::getOpenFileName(parent_, "Open satelite.xml File", folder,
                                                      "satellites.xml (*.xml)");
    return name.isEmpty() ? std::nullopt : std::optional(toPath(name));
}

} // namespace tavrino::app
