#pragma once

#include "bouquets/bouquet_editor.h"

#include <QObject>
#include <functional>
#include <memory>
#include <optional>

class QWidget;

namespace tavrino::app {

class BouquetContentsModel;
class BouquetContentsView;
class BouquetListModel;
class BouquetListView;
class DetailsTip;
class NameDialog;

// The bouquet list and the contents of the selected bouquet: turns menu commands, keys and
// drops into BouquetEditor operations and shows the result. Contents commands act on the
// bouquet whose contents are on screen, never on a row remembered from earlier.
class BouquetPanel : public QObject {
    Q_OBJECT
public:
    BouquetPanel(Workspace& workspace, Prompter& prompter, DetailsTip& tip, QWidget* parent);
    ~BouquetPanel() override;

    BouquetListView* listView() const { return listView_; }
    BouquetContentsView* contentsView() const { return contentsView_; }
    BouquetListModel* listModel() const { return listModel_; }
    BouquetContentsModel* contentsModel() const { return contentsModel_; }
    NameDialog* nameDialog() const { return nameDialog_; }
    BouquetEditor& editor() { return editor_; }

    // A database was opened: list its bouquets and show the first one.
    void workspaceReplaced();
    // Services changed: list the bouquets again, keeping the selected one.
    void refresh();
    // An undo or redo changed these records: list again and select the first that still is.
    void stepApplied(const std::vector<int>& records);
    int selectedRow() const;
    // The list row whose contents are shown; -1 for none.
    int shownRow() const;
    void selectRow(std::optional<int> row);

signals:
    void bouquetCountChanged(int count);
    void itemCountChanged(int count);
    void locateRequested(std::uint32_t serviceRow);
    void edited();

private:
    using NameAction = std::function<ListChange(int row, const std::string& name)>;

    void connectListCommands();
    void connectContentsCommands();
    // Opens the name dialog, saying `prompt`, for the bouquet in `row` (none for Add); OK runs
    // `action` on that bouquet wherever it is by then.
    void askName(int row, const QString& prompt, NameAction action);
    bool nameEntered(std::optional<BouquetId> target, const NameAction& action,
                     const std::string& name);
    void applyListChange(const ListChange& change);
    void applyContentsChange(const ContentsChange& change);
    void showContents();
    void showItemTip(int position);
    void dropServices(const std::vector<std::uint32_t>& offsets, std::optional<int> beforeItem);
    std::optional<int> selectedItem() const;
    int recordShown() const; // the record of the bouquet on screen; -1 for none
    void selectItemsAdded(const std::vector<BouquetItem>& before);

    Workspace& workspace_;
    Prompter& prompter_;
    DetailsTip& tip_;
    BouquetEditor editor_;
    BouquetListModel* listModel_;
    BouquetContentsModel* contentsModel_;
    BouquetListView* listView_;
    BouquetContentsView* contentsView_;
    NameDialog* nameDialog_;
    std::optional<BouquetId> shown_;
};

} // namespace tavrino::app
