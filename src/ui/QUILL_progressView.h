// How far the work is, in the window: the progress view (per list and per record and field pair, the strings
// validated, translated, partial and untranslated as bars, with the words left) and the status bar's line.
#pragma once

#include <QDialog>

class QLabel;
class QTimer;
class QTreeWidget;
class TForm1;

class TProgressView : public QDialog {
    Q_OBJECT
public:
    explicit TProgressView(TForm1& form);
    // Recounts the open document's entries.
    void refresh();
    QTreeWidget* table() const { return table_; }
    QLabel* summary() const { return summary_; }

private:
    TForm1& form_;
    QTreeWidget* table_ = nullptr;
    QLabel* summary_ = nullptr;
    QTimer* pending_ = nullptr;
};

// The status bar line, kept up to date as entries change, and the "Menu_Progress" command that opens the view.
void installProgressView(TForm1& form);
// The status bar's progress line.
QLabel* progressStatusLabel(TForm1& form);
// The view, once opened (null before).
TProgressView* progressView(TForm1& form);
