#include "widgets/ctooltip.h"

#include <QApplication>
#include <QCursor>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QScreen>
#include <QStyle>
#include <QWindow>
#include <algorithm>

namespace tavrino::widgets {

CTooltip::CTooltip(QObject* parent) : QObject(parent) {
    delay_.setSingleShot(true);
    autoPop_.setSingleShot(true);
    connect(&delay_, &QTimer::timeout, this, &CTooltip::showNow);
    connect(&autoPop_, &QTimer::timeout, this, &CTooltip::hideWindow);
    // A dialog opened from the list (a double click) must not sit under the tip.
    connect(qApp, &QApplication::focusWindowChanged, this, [this] {
        if (tool_ != nullptr && QApplication::activeWindow() != tool_->window()) {
            hideWindow();
        }
    });
}

void CTooltip::hideWindow() {
    if (window_ != nullptr) {
        window_->hide();
    }
}

CTooltip::~CTooltip() {
    Destroy();
}

bool CTooltip::Create(QWidget* parent) {
    Destroy();
    if (parent == nullptr) {
        return false;
    }
    tool_ = parent;
    auto* frame = new QFrame(nullptr, Qt::ToolTip | Qt::FramelessWindowHint);
    frame->setFrameShape(QFrame::Box);
    window_ = frame;
    window_->setObjectName("CTooltip");
    auto* layout = new QGridLayout(window_);
    layout->setContentsMargins(8, 6, 8, 6);
    iconLabel_ = new QLabel(window_);
    titleLabel_ = new QLabel(window_);
    QFont bold = titleLabel_->font();
    bold.setBold(true);
    titleLabel_->setFont(bold);
    textLabel_ = new QLabel(window_);
    textLabel_->setTextFormat(Qt::PlainText);
    titleLabel_->setTextFormat(Qt::PlainText);
    layout->addWidget(iconLabel_, 0, 0);
    layout->addWidget(titleLabel_, 0, 1);
    layout->addWidget(textLabel_, 1, 0, 1, 2);
    refreshLook();
    delay_.start(delayTime_);
    return true;
}

void CTooltip::Destroy() {
    delay_.stop();
    autoPop_.stop();
    delete window_;
    window_ = nullptr;
    iconLabel_ = titleLabel_ = textLabel_ = nullptr;
}

bool CTooltip::isShowing() const {
    return window_ != nullptr && window_->isVisible();
}

bool CTooltip::mayShow() const {
    if (tool_ == nullptr || !tool_->isVisible() || QApplication::activePopupWidget() != nullptr ||
        QApplication::mouseButtons() != Qt::NoButton ||
        QApplication::activeWindow() != tool_->window()) {
        return false; // a menu is open, a button is held for a drag, or a dialog is in front
    }
    return tool_->rect().contains(tool_->mapFromGlobal(QCursor::pos()));
}

void CTooltip::showNow() {
    if (window_ == nullptr || !mayShow()) {
        return;
    }
    window_->adjustSize();
    const QPoint cursor = QCursor::pos();
    QPoint at = cursor + QPoint(12, 18);
    if (centered_) {
        const QRect area(tool_->mapToGlobal(QPoint(0, 0)), tool_->size());
        at = QPoint(area.center().x() - window_->width() / 2, area.bottom());
    }
    window_->move(keptOnScreen(at, cursor));
    window_->show();
    autoPop_.start(visibleTime_);
}

QPoint CTooltip::keptOnScreen(QPoint at, QPoint cursor) const {
    const QScreen* screen = QGuiApplication::screenAt(cursor);
    if (screen == nullptr) {
        return at;
    }
    const QRect free = screen->availableGeometry();
    const QSize size = window_->size();
    if (at.y() + size.height() > free.bottom()) {
        at.setY(cursor.y() - size.height() - 4); // above the pointer instead of below it
    }
    at.setX(std::clamp(at.x(), free.left(), std::max(free.left(), free.right() - size.width())));
    at.setY(std::clamp(at.y(), free.top(), std::max(free.top(), free.bottom() - size.height())));
    return at;
}

void CTooltip::refreshLook() {
    if (window_ == nullptr) {
        return;
    }
    const QStyle* style = QApplication::style();
    QStyle::StandardPixmap pixmap = QStyle::SP_MessageBoxInformation;
    if (icon_ == WarningIcon) {
        pixmap = QStyle::SP_MessageBoxWarning;
    } else if (icon_ == ErrorIcon) {
        pixmap = QStyle::SP_MessageBoxCritical;
    }
    iconLabel_->setVisible(icon_ != NoIcon);
    if (icon_ != NoIcon) {
        iconLabel_->setPixmap(style->standardIcon(pixmap).pixmap(16, 16));
    }
    titleLabel_->setVisible(!title_.isEmpty());
    titleLabel_->setText(title_);
    textLabel_->setText(tipText_);
    const QPalette tipColors = QApplication::palette();
    QPalette palette = window_->palette();
    palette.setColor(QPalette::Window,
                     backColor_.isValid() ? backColor_ : tipColors.color(QPalette::ToolTipBase));
    palette.setColor(QPalette::WindowText,
                     foreColor_.isValid() ? foreColor_ : tipColors.color(QPalette::ToolTipText));
    window_->setPalette(palette);
    window_->setAutoFillBackground(true);
    if (window_->isVisible()) {
        window_->adjustSize();
    }
}

void CTooltip::setIcon(int icon) {
    icon_ = icon;
    refreshLook();
}

void CTooltip::setForeColor(const QColor& color) {
    foreColor_ = color;
    refreshLook();
}

void CTooltip::setBackColor(const QColor& color) {
    backColor_ = color;
    refreshLook();
}

void CTooltip::setTitle(const QString& title) {
    title_ = title;
    refreshLook();
}

void CTooltip::setTipText(const QString& text) {
    tipText_ = text;
    refreshLook();
}

} // namespace tavrino::widgets
