#pragma once

#include <QFontMetricsF>
#include <QLabel>
#include <QResizeEvent>
#include <cmath>

namespace tavrino::app {

// A one-line label that gives up its width before its neighbours do: a text too long for it is
// cut in the middle with "...", and its tip shows the whole text.
class ElidingLabel : public QLabel {
public:
    explicit ElidingLabel(QWidget* parent = nullptr) : QLabel(parent) {
        setIndent(0); // the width measured is the width drawn
    }

    void setFullText(const QString& text) {
        full_ = text;
        setToolTip(text);
        cut();
        updateGeometry();
    }
    const QString& fullText() const { return full_; }

    QSize sizeHint() const override {
        const QMargins m = contentsMargins();
        // Rounded up: elidedText cuts a text given its integer advance.
        const int text =
            static_cast<int>(std::ceil(QFontMetricsF(font()).horizontalAdvance(full_)));
        return {text + 1 + m.left() + m.right() + 2 * frameWidth(), QLabel::sizeHint().height()};
    }
    QSize minimumSizeHint() const override { return {0, QLabel::minimumSizeHint().height()}; }

protected:
    void resizeEvent(QResizeEvent* event) override {
        QLabel::resizeEvent(event);
        cut();
    }

private:
    void cut() {
        setText(fontMetrics().elidedText(full_, Qt::ElideMiddle, contentsRect().width()));
    }

    QString full_;
};

} // namespace tavrino::app
