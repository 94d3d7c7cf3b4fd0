#pragma once

#include <QTableView>
#include <cstdint>
#include <vector>

class QAction;

namespace tavrino::app {

// The service list: hidden columns, header clicks that sort, the flag menu, hover reports
// for the details tip, and drags towards a bouquet.
class ServiceListView : public QTableView {
    Q_OBJECT
public:
    explicit ServiceListView(QWidget* parent = nullptr);

    void setModel(QAbstractItemModel* model) override;
    // View positions of the selected rows, top to bottom.
    std::vector<int> selectedPositions() const;
    int currentSelectedPosition() const; // -1 when nothing is selected
    void selectPositions(const std::vector<int>& positions);

    QAction* lockAction() const { return lock_; }
    QAction* unlockAction() const { return unlock_; }
    QAction* insertHdAction() const { return insertHd_; }
    QAction* removeHdAction() const { return removeHd_; }
    class QMenu* contextMenu() const { return menu_; }

signals:
    void headerClicked(int column);
    void flagCommand(std::uint8_t bit, bool set);
    void hoveredRowChanged(int position); // -1: over no row

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void applyColumnLayout();
    void reportHover(int position);

    class QMenu* menu_;
    QAction* lock_;
    QAction* unlock_;
    QAction* insertHd_;
    QAction* removeHd_;
    int hovered_ = -1;
};

} // namespace tavrino::app
