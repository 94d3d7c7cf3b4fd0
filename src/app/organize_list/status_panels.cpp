#include "app/organize_list/status_panels.h"

#include "app/organize_list/eliding_label.h"

#include <QLabel>
#include <QTimer>
#include <algorithm>

namespace tavrino::app {

StatusPanels::StatusPanels(QWidget* parent)
    : QStatusBar(parent), note_(new ElidingLabel(this)), link_(new QLabel(this)),
      noteTimer_(new QTimer(this)) {
    // The note and the connection panels give up their width first; the counters keep
    // theirs whole.
    for (int i = 0; i < 5; ++i) {
        panels_[i] = i < 2 ? new ElidingLabel(this) : new QLabel(this);
        panels_[i]->setObjectName(QString("statusPanel%1").arg(i + 1));
        panels_[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panels_[i]->setContentsMargins(4, 0, 4, 0);
    }
    addWidget(panels_[0]);
    addWidget(panels_[1], 1); // the address takes the width that is left
    note_->setObjectName("statusNote");
    note_->setContentsMargins(4, 0, 4, 0);
    addWidget(note_);
    link_->setObjectName("statusLink");
    link_->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    link_->hide();
    addWidget(link_);
    connect(link_, &QLabel::linkActivated, this, &StatusPanels::noteLinkActivated);
    noteTimer_->setSingleShot(true);
    connect(noteTimer_, &QTimer::timeout, note_, [this] {
        note_->setFullText({});
        link_->hide();
    });
    for (int i = 2; i < 5; ++i) {
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
    static_cast<ElidingLabel*>(panels_[0])->setFullText(text);
    panels_[0]->setVisible(!text.isEmpty());
}

void StatusPanels::setAddress(const QString& text) {
    static_cast<ElidingLabel*>(panels_[1])->setFullText(text);
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

// A counter is never narrower than its text, however long a note beside it.
void StatusPanels::setCounter(int panel, const QString& text) {
    QLabel* label = panels_[panel];
    label->setText(text);
    label->setMinimumWidth(std::max(140, label->sizeHint().width()));
}

void StatusPanels::setTotalServices(int count) {
    setCounter(2, QString("Total Services : %1").arg(count));
}

void StatusPanels::setItemsInBouquet(int count) {
    setCounter(3, QString("Items in Bouquet : %1").arg(count));
}

void StatusPanels::setBouquets(int count) {
    setCounter(4, QString("Bouquets : %1").arg(count));
}

void StatusPanels::showNote(const QString& text, int timeoutMs, const QString& link) {
    note_->setFullText(text);
    link_->setText(QString("<a href=\"note\">%1</a>").arg(link.toHtmlEscaped()));
    link_->setVisible(!link.isEmpty());
    noteTimer_->start(timeoutMs);
}

QString StatusPanels::note() const {
    return note_->fullText();
}

QString StatusPanels::panelText(int panel) const {
    if (panel < 1 || panel > 5) {
        return {};
    }
    if (const auto* cut = dynamic_cast<const ElidingLabel*>(panels_[panel - 1])) {
        return cut->fullText();
    }
    return panels_[panel - 1]->text();
}

QLabel* StatusPanels::panel(int panel) const {
    return panel >= 1 && panel <= 5 ? panels_[panel - 1] : nullptr;
}

} // namespace tavrino::app
