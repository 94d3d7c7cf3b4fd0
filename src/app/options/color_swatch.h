#pragma once

#include <QColor>
#include <QFrame>

namespace tavrino::app {

// The colour swatch beside "Set Fore Color": shows a colour and can be clicked.
class ColorSwatch : public QFrame {
    Q_OBJECT
public:
    explicit ColorSwatch(QWidget* parent = nullptr);

    QColor color() const { return color_; }
    void setColor(const QColor& color);

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QColor color_ = Qt::black;
};

} // namespace tavrino::app
