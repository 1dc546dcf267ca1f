// The encoding bar: above the lists, the word that the open file's texts look like UTF-8 read through an 8-bit code
// page, until the translator dismisses it or reopens the file reading UTF-8.
#pragma once

#include <QFrame>

class QLabel;
class QPushButton;
class TForm1;

class TEncodingBar : public QFrame {
    Q_OBJECT
public:
    explicit TEncodingBar(TForm1& form, QWidget* parent = nullptr);
    // Shows the bar when the open document counted misencoded texts, hides it otherwise.
    void refresh();
    QPushButton* reopenButton() const { return reopen_; }
    QPushButton* dismissButton() const { return dismiss_; }
    QLabel* message() const { return message_; }

private:
    TForm1& form_;
    QLabel* message_ = nullptr;
    QPushButton* reopen_ = nullptr;
    QPushButton* dismiss_ = nullptr;
};

// Puts the bar above the main window's list pages.
TEncodingBar* installEncodingBar(TForm1& form);
