// The gutter editor: line numbers, the "[!]" marks and the alert colour painted beside the text.
#include "ui/QUILL_gutterEdit.h"

#include <QPainter>
#include <QTextBlock>

class TGutterArea : public QWidget {
public:
    explicit TGutterArea(TGutterEdit* editor) : QWidget(editor), editor_(editor) {}
    QSize sizeHint() const override { return {editor_->gutterWidth(), 0}; }

protected:
    void paintEvent(QPaintEvent* event) override { editor_->paintGutter(event); }
    void mousePressEvent(QMouseEvent* event) override {
        const QTextCursor cursor = editor_->cursorForPosition(QPoint(0, event->position().toPoint().y()));
        if (editor_->gutterClicked) editor_->gutterClicked(cursor.blockNumber());
    }

private:
    TGutterEdit* editor_;
};

TGutterEdit::TGutterEdit(QWidget* parent) : QPlainTextEdit(parent), gutter_(new TGutterArea(this)) {
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    connect(this, &QPlainTextEdit::blockCountChanged, this, [this] { setViewportMargins(gutterWidth(), 0, 0, 0); });
    connect(this, &QPlainTextEdit::updateRequest, this, &TGutterEdit::updateGutter);
    setViewportMargins(gutterWidth(), 0, 0, 0);
}

int TGutterEdit::gutterWidth() const {
    int digits = 1;
    for (int n = qMax(1, blockCount()); n >= 10; n /= 10)
        ++digits;
    const QString sample = QString(digits, QLatin1Char('9')) + (lineMarks_ ? QStringLiteral(" [!]") : QString());
    return 8 + fontMetrics().horizontalAdvance(sample);
}

void TGutterEdit::setLineMarks(bool marks) {
    if (marks == lineMarks_) return;
    lineMarks_ = marks;
    setViewportMargins(gutterWidth(), 0, 0, 0);
    gutter_->update();
}

void TGutterEdit::setGutterAlert(bool alert) {
    if (alert == alert_) return;
    alert_ = alert;
    gutter_->update();
}

void TGutterEdit::centreOnLine(int line) {
    const QTextBlock block = document()->findBlockByNumber(qMax(0, line));
    if (!block.isValid()) return;
    QTextCursor cursor(block);
    setTextCursor(cursor);
    centerCursor();
}

void TGutterEdit::replaceSelection(const QString& text) {
    QTextCursor cursor = textCursor();
    const int start = cursor.selectionStart();
    cursor.insertText(text);
    cursor.setPosition(start);
    cursor.setPosition(start + static_cast<int>(text.size()), QTextCursor::KeepAnchor);
    setTextCursor(cursor);
}

void TGutterEdit::paintLineLabel(QPainter& painter, const QRect& rect, int line) {
    const bool marked = lineMarks_ && line > 0;
    painter.setPen(marked ? QColor(0xC6, 0x28, 0x28) : QColor(0x70, 0x70, 0x70));
    painter.drawText(rect, Qt::AlignRight, QString::number(line + 1) + (marked ? QStringLiteral(" [!]") : QString()));
}

void TGutterEdit::resizeEvent(QResizeEvent* event) {
    QPlainTextEdit::resizeEvent(event);
    const QRect r = contentsRect();
    gutter_->setGeometry(QRect(r.left(), r.top(), gutterWidth(), r.height()));
}

void TGutterEdit::updateGutter(const QRect& rect, int dy) {
    if (dy)
        gutter_->scroll(0, dy);
    else
        gutter_->update(0, rect.y(), gutter_->width(), rect.height());
}

void TGutterEdit::paintGutter(QPaintEvent* event) {
    QPainter painter(gutter_);
    painter.fillRect(event->rect(), alert_ ? QColor(0xFF, 0xAA, 0xAA) : palette().color(QPalette::AlternateBase));
    QTextBlock block = firstVisibleBlock();
    int number = block.blockNumber();
    int top = qRound(blockBoundingGeometry(block).translated(contentOffset()).top());
    const QRect label(0, 0, gutter_->width() - 4, fontMetrics().height());
    painter.setFont(font());
    while (block.isValid() && top <= event->rect().bottom()) {
        if (block.isVisible()) paintLineLabel(painter, label.translated(0, top), number);
        top += qRound(blockBoundingRect(block).height());
        block = block.next();
        ++number;
    }
}
