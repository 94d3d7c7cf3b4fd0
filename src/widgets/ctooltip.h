#pragma once

#include <QColor>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>

class QLabel;

namespace tavrino::widgets {

// A multi-line tip with a bold title and an icon, shown over one widget after the pointer
// rests there for DelayTime and hidden again after VisibleTime.
class CTooltip : public QObject {
    Q_OBJECT
public:
    enum IconKind { NoIcon = 0, InformationIcon = 1, WarningIcon = 2, ErrorIcon = 3 };

    explicit CTooltip(QObject* parent = nullptr);
    ~CTooltip() override;

    int Style() const { return style_; } // 0 rectangular, 1 balloon
    void setStyle(int style) { style_ = style; }
    bool Centered() const { return centered_; }
    void setCentered(bool centered) { centered_ = centered; }
    int Icon() const { return icon_; }
    void setIcon(int icon);
    QColor ForeColor() const { return foreColor_; }
    void setForeColor(const QColor& color);
    QColor BackColor() const { return backColor_; }
    void setBackColor(const QColor& color);
    QString Title() const { return title_; }
    void setTitle(const QString& title);
    QString TipText() const { return tipText_; }
    void setTipText(const QString& text);
    int VisibleTime() const { return visibleTime_; }
    void setVisibleTime(int ms) { visibleTime_ = ms; }
    int DelayTime() const { return delayTime_; }
    void setDelayTime(int ms) { delayTime_ = ms; }

    // Attaches a fresh tip to `parent` (replacing any earlier one). Returns whether it worked.
    bool Create(QWidget* parent);
    void Destroy();

    bool exists() const { return window_ != nullptr; }
    bool isShowing() const;
    QWidget* tipWindow() const { return window_; }

private:
    bool mayShow() const;
    void showNow();
    QPoint keptOnScreen(QPoint at, QPoint cursor) const;
    void refreshLook();
    void hideWindow();

    int style_ = 0;
    bool centered_ = false;
    int icon_ = NoIcon;
    QColor foreColor_;
    QColor backColor_;
    QString title_;
    QString tipText_;
    int visibleTime_ = 5000;
    int delayTime_ = 500;

    QPointer<QWidget> tool_;
    QWidget* window_ = nullptr;
    QLabel* iconLabel_ = nullptr;
    QLabel* titleLabel_ = nullptr;
    QLabel* textLabel_ = nullptr;
    QTimer delay_;
    QTimer autoPop_;
};

} // namespace tavrino::widgets
