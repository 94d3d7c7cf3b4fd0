#pragma once

#include <QStatusBar>

class QLabel;

namespace tavrino::app {

class ElidingLabel;

// The five panels: profile, address, "Total Services : N", "Items in Bouquet : N",
// "Bouquets : N".
class StatusPanels : public QStatusBar {
    Q_OBJECT
public:
    explicit StatusPanels(QWidget* parent = nullptr);

    void setProfile(const QString& text);
    void setAddress(const QString& text);
    // "Profile : NAME" and "IP Address : A / FTP Port : F / Telnet Port : T".
    void showProfile(const QString& name, const QString& address, int ftpPort, int telnetPort);
    void setTotalServices(int count);
    void setItemsInBouquet(int count);
    void setBouquets(int count);

    QString panelText(int panel) const; // 1..5, whole however narrow the panel is
    QLabel* panel(int panel) const;

    // A passing note beside the panels, gone after `timeoutMs`. Unlike a status-bar message
    // it hides none of the panels. A `link` follows it while it shows: noteLinkActivated().
    void showNote(const QString& text, int timeoutMs, const QString& link = {});
    QString note() const;

signals:
    void noteLinkActivated();

private:
    void setCounter(int panel, const QString& text);

    QLabel* panels_[5];
    ElidingLabel* note_;
    QLabel* link_;
    class QTimer* noteTimer_;
};

} // namespace tavrino::app
