#pragma once

#include <QStatusBar>

class QLabel;

namespace tavrino::app {

// The five panels: profile, address, "Total Services : N", "Items in Bouquet : N",
// "Bouquets : N".
class StatusPanels : public QStatusBar {
    Q_OBJECT
public:
    explicit StatusPanels(QWidget* parent = nullptr);

    void setProfile(const QString& text);
    void setAddress(const QString& text);
    void setTotalServices(int count);
    void setItemsInBouquet(int count);
    void setBouquets(int count);

    QString panelText(int panel) const; // 1..5

private:
    QLabel* panels_[5];
};

} // namespace tavrino::app
