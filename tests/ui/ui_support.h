// What the window tests share: a shown window on a temporary program folder, and the answers to the modal dialogs a
// command opens while it runs.
#pragma once

#include "temp_program_dir.h"
#include "ui/QUILL_mainWindow.h"
#include "ui_screenshot.h"
#include "workspace/QUILL_workspace.h"

#include <QDialog>
#include <QStringList>
#include <QTimer>
#include <deque>
#include <functional>

// Runs the event loop until `done` holds (a timer of the window fired) or `ms` passed; returns whether it holds.
bool waitUntil(const std::function<bool()>& done, int ms = 3000);

// Answers every modal dialog that shows while it lives: `answer` gets the dialog and returns true once it answered
// (closed) it; a dialog left open is offered again on the next tick. Counts the dialogs answered.
class TModalAnswerer {
public:
    explicit TModalAnswerer(std::function<bool(QWidget* modal)> answer);
    int answered = 0;

private:
    std::function<bool(QWidget*)> answer_;
    QTimer timer_;
};

// The usual answers: `special`, tried first, answers the dialogs of one test (true once it closed one); a file dialog
// takes the next queued path (none left: it is cancelled); a question takes the next queued reply (none left: Yes,
// or Ok where it has no Yes); any other dialog is accepted when `acceptOthers` says so.
class TDialogAnswers {
public:
    explicit TDialogAnswers(QStringList paths = {}, std::function<bool(QWidget* modal)> special = {});
    // The reply to the next question: Yes or No.
    void reply(bool yes) { replies_.push_back(yes); }

    QStringList paths;
    std::function<bool(QWidget*)> special;
    bool acceptOthers = false;
    int questions = 0;   // message boxes and questions answered
    int fileDialogs = 0; // file dialogs answered or cancelled

private:
    bool answer(QWidget* modal);
    std::deque<bool> replies_;
    TModalAnswerer answerer_{[this](QWidget* modal) { return answer(modal); }};
};

// An answer for TDialogAnswers::special: runs `act` on the dialog whose object name is `name` (act closes it).
std::function<bool(QWidget* modal)> dialogNamed(const QString& name, std::function<void(QDialog*)> act);

// Takes `path` in a file dialog as a user typing it would: the dialog takes it whatever folder it shows.
void acceptFileDialog(QWidget* fileDialog, const QString& path);

// A window on a temporary program folder, shown at a usual size. Its work counts as saved when it goes, so no
// unsaved-work question outlives the test.
struct TShownWindow {
    TTempProgramDir dir;
    TForm1 form{dir.path(), {}, QString()};
    TWorkspace& ws = form.workspace();

    TShownWindow();
    ~TShownWindow();
    // Opens `path` as File > Open does (its kind from the file) and shows the lists.
    bool open(const QString& path);
    // The entry of `list` for which `match` holds, or nullptr.
    tSkyStr* entryWhere(const std::function<bool(const tSkyStr&)>& match, int list = 0) const;
    // Makes `e` the current and only selected row of its page, as a click does.
    void select(const tSkyStr* e);
    QString undoText() const;
    bool titleMarked() const;
};
