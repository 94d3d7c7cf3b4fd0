#pragma once

// An offscreen main window with the 30,000-service benchmark database open, answering every
// question without a person.
#include "app/main_window.h"
#include "app/organize_list/organize_list_tab.h"
#include "app/organize_list/service_list_view.h"
#include "app/user_dialogs.h"
#include "bench_support.h"

#include <QApplication>
#include <filesystem>
#include <vector>

namespace tavrino::bench {

class SilentDialogs : public app::UserDialogs {
public:
    void tell(const Notice& notice) override { told.push_back(notice); }
    bool ask(const Notice&) override { return false; }
    UnsavedChoice askUnsavedChanges(const QString&) override { return UnsavedChoice::Discard; }
    std::optional<std::filesystem::path> chooseChannelFile(const QString&) override { return {}; }
    std::optional<std::filesystem::path> chooseSaveFolder(const QString&) override { return {}; }
    std::optional<std::filesystem::path> chooseAntennaFile(const QString&) override { return {}; }
    std::optional<std::filesystem::path> chooseDvbsFile(const QString&) override { return {}; }
    std::optional<QColor> chooseColor(const QColor&) override { return {}; }
    std::optional<std::filesystem::path> chooseSatellitesXml(const QString&) override { return {}; }
    std::vector<Notice> told;
};

struct OpenWindow {
    SilentDialogs dialogs;
    app::MainWindow window{dialogs,
                           QString::fromStdString(std::filesystem::temp_directory_path().string())};

    OpenWindow() {
        window.resize(1200, 800);
        window.show();
        window.openFolder(largeSampleFolder());
        QApplication::processEvents();
    }
    app::OrganizeListTab& tab() { return *window.organizeListTab(); }
    app::ServiceListView& view() { return *tab().serviceView(); }

    // What the user sees next: pending events handled, the window painted at once.
    void paint() {
        QApplication::processEvents();
        window.repaint();
    }
};

} // namespace tavrino::bench
