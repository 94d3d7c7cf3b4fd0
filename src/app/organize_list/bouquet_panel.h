#pragma once

#include "document/document.h"

#include <QObject>
#include <functional>
#include <map>
#include <memory>
#include <optional>

class QColor;
class QWidget;

namespace tavrino::app {

class BouquetContentsModel;
class BouquetContentsView;
class BouquetListModel;
class BouquetListView;
class DetailsTip;
class NameDialog;

// The bouquet list and the contents of the selected bouquet: turns menu commands, keys and
// drops into the document's bouquet operations and selects what they name; the lists follow
// the document's changes. Contents commands act on the bouquet whose contents are on screen,
// never on a row remembered from earlier.
class BouquetPanel : public QObject {
    Q_OBJECT
public:
    BouquetPanel(Document& document, Prompter& prompter, DetailsTip& tip, QWidget* parent);
    ~BouquetPanel() override;

    // For the tab's layout.
    BouquetListView* listView() const { return listView_; }
    BouquetContentsView* contentsView() const { return contentsView_; }

    // A database was opened: list its bouquets and show the first one.
    void databaseReplaced();
    // An edit lists the bouquets again, keeping the selected one; an undo or redo selects the
    // first bouquet it changed that still is, and the items it put back.
    void showChange(const Change& change);
    void setTextColor(const QColor& color);
    int selectedRow() const;
    // The list row whose contents are shown; -1 for none.
    int shownRow() const;
    void selectRow(std::optional<int> row);

signals:
    void bouquetCountChanged(int count);
    void itemCountChanged(int count);
    void locateRequested(std::uint32_t serviceRow);
    void note(const QString& text); // for the status bar

private:
    using NameAction = std::function<ListChange(int row, const std::string& name)>;

    void connectListCommands();
    void connectContentsCommands();
    // Opens the name dialog, saying `prompt`, for the bouquet in `row` (none for Add); OK runs
    // `action` on that bouquet wherever it is by then.
    void askName(int row, const QString& prompt, NameAction action);
    bool nameEntered(std::optional<BouquetId> target, const NameAction& action,
                     const std::string& name);
    void refresh();
    void stepApplied(const std::vector<int>& records);
    void rememberNames();
    // Selects what an operation names, once its change is on screen.
    void selectListChange(const ListChange& change);
    void selectContentsChange(const ContentsChange& change);
    void showContents();
    void showItemTip(int position);
    void dropServices(const std::vector<std::uint32_t>& offsets, std::optional<int> beforeItem);
    // After a drop or paste of `added` items: where their services already stood, if anywhere.
    void tellAlreadyHeld(const ContentsChange& change, std::size_t added);
    void removeDuplicateItems();
    std::optional<int> selectedItem() const;
    void selectItemsAdded(const std::vector<BouquetItem>& before);

    Document& document_;
    Prompter& prompter_;
    DetailsTip& tip_;
    BouquetEditor& editor_;
    BouquetListModel* listModel_;
    BouquetContentsModel* contentsModel_;
    BouquetListView* listView_;
    BouquetContentsView* contentsView_;
    NameDialog* nameDialog_;
    std::optional<BouquetId> shown_;
    // The bouquet names as the last change left them: an undo or redo tells its bouquets by name.
    std::vector<std::string> namesShown_;
    // By record: a bouquet's name and items as last shown, for an undo that shows it again to
    // select what it put back. Dropped when a change touches the bouquet unseen.
    std::map<int, std::pair<std::string, std::vector<BouquetItem>>> lastShown_;
};

} // namespace tavrino::app
