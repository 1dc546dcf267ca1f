// The host: everything that would stop and ask a person, or show progress, goes through this interface.
// The GUI implements it with Qt dialogs, the command line with its options, the tests with a scripted host.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>

// Message dialog button set bits and results.
enum TDialogButtons : uint8_t {
    dbYes = 1,
    dbNo = 2,
    dbOk = 4,
    dbCancel = 8,
    dbSelfClosing = 16,
    dbYesNo = dbYes | dbNo,
    dbYesNoCancel = dbYes | dbNo | dbCancel,
};

enum TDialogResult : int {
    drNone = 0,
    drOk = 1,
    drCancel = 2,
    drYes = 6,
    drNo = 7,
};

// A choice among options, as the small option dialogs offer it (overwrite filter, apply mode, id tags ...).
// `dialog` names the dialog ("TForm6", "TForm12" ...), `choices` are the texts shown, `current` the preselected index.
// The answer is the chosen index, or -1 when the user cancelled.
struct rOptionRequest {
    QString dialog;
    QString caption;
    QStringList choices;
    int current = 0;
    // Check boxes the dialog shows beside the choices, with their states; the host may change the states.
    QStringList checkCaptions;
    QList<bool> checks;
    // Which check boxes may be changed (empty: all of them).
    QList<bool> checksEnabled;
    // A question of two answers, each a button: choice 0 is what Yes answers, choice 1 what No answers (the command
    // line's --yes / --no).
    bool yesNo = false;
};

// A choice among the rows of a list (the similar-strings dialog "TForm5"): each row's cells under `headers`, the
// rows preselected in `chosen`. The host leaves the rows the user kept marked in `chosen`.
struct rRowChoiceRequest {
    QString dialog;
    QString caption;
    QStringList headers;
    QList<QStringList> rows;
    QList<bool> chosen;
};

// A text the user may edit before it is used (the batch dialog "TForm11" showing a rule file).
struct rTextRequest {
    QString dialog;
    QString caption;
    QString fileName;
    QString text;
};

class THost {
public:
    virtual ~THost() = default;

    // Appends one line to the log pane (standard error for the command line).
    virtual void appendLog(const QString& line) = 0;
    // Shows the message dialog with a button set; returns a TDialogResult. A self-closing dialog returns drOk at once.
    virtual int showMessage(const QString& caption, const QString& text, int buttons, int intervalMs) = 0;
    // File pickers; an empty result means cancelled.
    virtual QString pickOpenFile(const QString& title, const QString& startDir, const QString& fileName,
                                 const QString& filter) = 0;
    virtual QString pickSaveFile(const QString& title, const QString& startDir, const QString& fileName,
                                 const QString& filter) = 0;
    // Returns the chosen folder, or an empty string when cancelled.
    virtual QString pickFolder(const QString& caption, const QString& start) = 0;
    // An options dialog; returns the chosen index or -1 when cancelled.
    virtual int chooseOption(rOptionRequest& request) = 0;
    // A choice of rows; false when the user declined. Without a list to show, one Yes/No question keeps every row or
    // none.
    virtual bool chooseRows(rRowChoiceRequest& request) {
        const bool yes = showMessage(request.caption, request.caption, dbYesNo, 0) == drYes;
        for (bool& chosen : request.chosen)
            chosen = yes;
        return yes;
    }
    // Lets the user edit `request.text`; false when cancelled. Without an editor the text is used as it is.
    virtual bool editText(rTextRequest& request) {
        (void)request;
        return true;
    }

    // Progress bar, status bar text and busy state.
    virtual void setProgressRange(int maximum) { (void)maximum; }
    virtual void setProgress(int position) { (void)position; }
    virtual void setStatusText(int panel, const QString& text) {
        (void)panel;
        (void)text;
    }
    // The operation bracket tells the host when commands must be disabled and the busy cursor shown.
    virtual void operationStateChanged(bool busy) { (void)busy; }
    // Lets pending window events run (the GUI keeps responding through it).
    virtual void processEvents() {}
    // True when the user asked to cancel the running command (Escape during a batch).
    virtual bool cancelRequested() { return false; }
    // Clears a cancel request (every operation starts without one).
    virtual void clearCancelRequest() {}
    // The information beep before message dialogs.
    virtual void beep() {}
};
