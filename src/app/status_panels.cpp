#include "app/status_panels.h"

#include <QLabel>
#include <QTimer>

namespace tavrino::app {

StatusPanels::StatusPanels(QWidget* parent)
    : QStatusBar(parent), note_(new QLabel(this)), noteTimer_(new QTimer(this)) {
    for (int i = 0; i < 5; ++i) {
        panels_[i] = new QLabel(this);
        panels_[i]->setObjectName(QString("statusPanel%1").arg(i + 1));
        panels_[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panels_[i]->setContentsMargins(4, 0, 4, 0);
    }
    addWidget(panels_[0]);
    addWidget(panels_[1], 1); // the address takes the width that is left
    note_->setObjectName("statusNote");
    note_->setContentsMargins(4, 0, 4, 0);
    addWidget(note_);
    noteTimer_->setSingleShot(true);
    connect(noteTimer_, &QTimer::timeout, note_, &QLabel::clear);
    for (int i = 2; i < 5; ++i) {
        panels_[i]->setMinimumWidth(140);
        addPermanentWidget(panels_[i]);
    }
    setProfile({});
    setAddress({});
    setTotalServices(0);
    setItemsInBouquet(0);
    setBouquets(0);
}

// The connection panels stay out of sight until there is a connection to describe.
void StatusPanels::setProfile(const QString& text) {
    panels_[0]->setText(text);
    panels_[0]->setVisible(!text.isEmpty());
}

void StatusPanels::setAddress(const QString& text) {
    panels_[1]->setText(text);
    panels_[1]->setVisible(!text.isEmpty());
}

void StatusPanels::showProfile(const QString& name, const QString& address, int ftpPort,
                               int telnetPort) {
    setProfile("Profile : " + name);
    setAddress(QString("IP Address : %1 / FTP Port : %2 / Telnet Port : %3")
                   .arg(address)
                   .arg(ftpPort)
                   .arg(telnetPort));
}

void StatusPanels::setTotalServices(int count) {
    panels_[2]->setText(QString("Total Services : %1").arg(count));
}

void StatusPanels::setItemsInBouquet(int count) {
    panels_[3]->setText(QString("Items in Bouquet : %1").arg(count));
}

void StatusPanels::setBouquets(int count) {
    panels_[4]->setText(QString("Bouquets : %1").arg(count));
}

void StatusPanels::showNote(const QString& text, int timeoutMs) {
    note_->setText(text);
    noteTimer_->start(timeoutMs);
}

QString StatusPanels::note() const {
    return note_->text();
}

QString StatusPanels::panelText(int panel) const {
    return panel >= 1 && panel <= 5 ? panels_[panel - 1]->text() : QString();
}

} // namespace tavrino::app
