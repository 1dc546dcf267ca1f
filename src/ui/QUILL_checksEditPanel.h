// The quality checks in the edit dialog: the problems of the text being typed, shown under the translation editor,
// and the question before a string with problems is validated.
#pragma once

#include "aids/QUILL_checks.h"

#include <QDialog>
#include <QWidget>
#include <vector>

class QCheckBox;
class QListWidget;
class QPushButton;
class TAppContext;
class TChecksPage;
class TForm1;
class TForm2;
class TWorkspace;

// Under the translation editor: the problems of the editor's text against its string, checked again at every change
// (hidden while there are none). The context menu ignores a problem for the string, or checks it again.
class TEditProblemsPanel : public QWidget {
    Q_OBJECT
public:
    TEditProblemsPanel(TForm2& dialog, TChecksPage& page, QWidget* parent = nullptr);
    // Checks the editor's text again (later, when a command is running).
    void recheck();
    void recheckIfPending() {
        if (pending_) recheck();
    }
    QListWidget* list() const { return list_; }
    const std::vector<quillcheck::rProblem>& problems() const { return problems_; }

private:
    void showMenu(const QPoint& at);

    TForm2& dialog_;
    TChecksPage& page_;
    TWorkspace& ws_;
    QListWidget* list_ = nullptr;
    std::vector<quillcheck::rProblem> problems_;
    bool pending_ = false;
};

// "Validate anyway?" with the string's problems and a "Do not ask again" box (Options > Quality checks asks again).
// Yes validates; No, the default, goes back to the string.
class TValidateQuestion : public QDialog {
    Q_OBJECT
public:
    TValidateQuestion(const TAppContext& app, const QStringList& problems, QWidget* parent = nullptr);
    QCheckBox* dontAskAgain = nullptr;
    QPushButton* yesButton = nullptr;
    QPushButton* noButton = nullptr;
};

// Asks the question when the string has problems the translator did not ignore and the question is on; true to
// validate.
bool mayValidateWithProblems(TWorkspace& ws, tSkyStr& entry, const QString& text, QWidget* parent);

// Puts the panel under the dialog's translation editor and the question before its validations.
void installChecksInEditDialog(TForm1& form, TForm2& dialog, TChecksPage& page);
// The dialog's panel (null before installChecksInEditDialog).
TEditProblemsPanel* editProblemsPanel(TForm2& dialog);
