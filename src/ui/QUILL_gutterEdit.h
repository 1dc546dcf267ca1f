// A plain text editor with a gutter of line numbers: the edit dialog's editors and the script listing.
#pragma once

#include <QPlainTextEdit>
#include <functional>

class QPainter;

// From the second line on the gutter can carry a "[!]" mark (lines the field does not allow) and its background can
// turn light red.
class TGutterEdit : public QPlainTextEdit {
public:
    explicit TGutterEdit(QWidget* parent = nullptr);
    void setLineMarks(bool marks);
    void setGutterAlert(bool alert);
    virtual int gutterWidth() const;
    // A click in the gutter on a line (0-based).
    std::function<void(int line)> gutterClicked;
    // Puts the caret at the start of `line` (0-based) and scrolls it to the middle: the other editor's gutter click.
    void centreOnLine(int line);
    // Puts `text` in place of the selection (at the caret without one) and selects it.
    void replaceSelection(const QString& text);

protected:
    void resizeEvent(QResizeEvent* event) override;
    // Paints the label of `line` (0-based) in `rect` of the gutter: its number, and "[!]" where lines are marked.
    virtual void paintLineLabel(QPainter& painter, const QRect& rect, int line);

private:
    friend class TGutterArea;
    void paintGutter(QPaintEvent* event);
    void updateGutter(const QRect& rect, int dy);
    QWidget* gutter_;
    bool lineMarks_ = false;
    bool alert_ = false;
};
