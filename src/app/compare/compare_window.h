#pragma once

#include "compare/comparison.h"

#include <QDialog>
#include <cstdint>
#include <memory>

class QLabel;
class QPushButton;

namespace tavrino {
struct Change;
class Workspace;
} // namespace tavrino

namespace tavrino::app {

class ComparisonView;
class UserDialogs;

// Lists read before (another folder, or the lists open before a receive) against the open
// lists, in a window of its own. The comparison is a snapshot: once the open lists change it
// is marked stale and its rows select nothing until Refresh compares again.
class CompareWindow : public QDialog {
    Q_OBJECT
public:
    CompareWindow(const QString& title, std::shared_ptr<const Workspace> before,
                  const Workspace& open, UserDialogs& dialogs, QWidget* parent = nullptr);

    ComparisonView* view() const { return view_; }
    const std::shared_ptr<const Workspace>& before() const { return before_; }
    // A line above the rows, e.g. a file the other folder lacks.
    void setNote(const QString& text);
    bool stale() const { return stale_; }
    // What a step of the open lists changed: anything but a save makes the rows stale.
    void listsChanged(const Change& change);
    // Where "Save as CSV..." starts.
    void setCsvFolder(const QString& folder) { csvFolder_ = folder; }

signals:
    // A service of the open lists, from a row of a comparison that is still current.
    void serviceActivated(std::uint32_t serviceRow);

private:
    void compare();
    void saveCsv();

    std::shared_ptr<const Workspace> before_;
    const Workspace& open_;
    UserDialogs& dialogs_;
    ComparisonView* view_;
    QLabel* staleText_;
    QPushButton* refresh_;
    QLabel* message_; // what the last click or save did
    QLabel* note_;
    QString csvFolder_;
    bool stale_ = false;
};

// The comparison as `tavrino-cli diff` prints it: the header, then a line per row.
std::string comparisonCsv(const Comparison& comparison);

} // namespace tavrino::app
