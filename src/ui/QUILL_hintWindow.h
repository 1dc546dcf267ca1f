// The formatted hint window: every hint of the application (tool buttons, menu items, list cells) drawn with the book
// mark-up of display/QUILL_Hint. Installed once for the whole application.
#pragma once

#include "display/QUILL_Hint.h"

#include <QFont>
#include <QWidget>

class QTimer;

// Measures with the widget's font metrics.
class TFontMeasure : public THintMeasure {
public:
    explicit TFontMeasure(const QFont& base) : base_(base) {}
    QSize textSize(const QString& text, const rHintFont& font) override;
    static QFont fontFor(const QFont& base, const rHintFont& font);

private:
    QFont base_;
};

class TQUILLHint : public QWidget {
    Q_OBJECT
public:
    explicit TQUILLHint(QWidget* parent = nullptr);
    // The size the hint takes for a text (CalcHintRect); empty for a blank text.
    QSize hintSize(const QString& text);
    // Shows the hint for `text` near `globalPos`, kept inside the screen; a blank text hides it.
    void activateHint(const QPoint& globalPos, const QString& text);
    const QString& text() const { return text_; }

    // Where a hint of `size` shows for the pointer at `pointer` on a desktop `desk`: below the pointer, else above it,
    // else beside it, never over the pointer (a window under the pointer takes it from the widget, which would hide
    // the hint at once), and no larger than the desktop.
    static QRect placeHint(const QSize& size, const QPoint& pointer, const QRect& desk);

    // Makes this the hint of every widget of the application: tool tips of widgets and actions, and of list cells
    // over the first 50 pixels of the cell.
    static void install();
    static TQUILLHint* instance();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString text_;
    rGlobalTipParam tip_;
    QTimer* hideTimer_ = nullptr;
};
