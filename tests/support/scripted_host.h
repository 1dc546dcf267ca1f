// A host for tests: records what was logged and asked, answers from a script.
#pragma once

#include "core/QUILL_host.h"

#include <QList>
#include <QQueue>
#include <QString>
#include <QStringList>
#include <functional>

class TScriptedHost : public THost {
public:
    struct rAsked {
        QString text;
        int buttons;
    };

    QStringList log;
    QList<rAsked> messages;
    QQueue<int> answers;         // dialog results, in order; when empty: Yes for Yes/No sets, else Ok
    QQueue<QString> pickAnswers; // answers of the file and folder pickers, in order; empty means cancelled
    QStringList pickFolders;     // the folder each open dialog started in
    QStringList pickNames;       // the file name each open or save dialog suggested
    QQueue<int> optionAnswers;   // answers of options dialogs; when empty the preselected choice
    QList<rOptionRequest> options;
    QList<rRowChoiceRequest> rowChoices; // the row choices asked, as asked
    // Answers a row choice (may change `chosen`); unset: the Yes/No question every host without a list asks.
    std::function<bool(rRowChoiceRequest&)> rowAnswer;
    // Answers a text to edit (may change it); unset: the text is used as it is.
    std::function<bool(rTextRequest&)> textAnswer;
    QStringList statusTexts; // every status bar text, "panel: text"
    int progressMaximum = 0;
    int progressPosition = 0;
    int busyChanges = 0;
    bool busy = false;
    bool cancel = false;

    void appendLog(const QString& line) override { log << line; }
    int showMessage(const QString&, const QString& text, int buttons, int) override {
        messages.append({text, buttons});
        if (buttons & dbSelfClosing) return drOk;
        if (!answers.isEmpty()) return answers.dequeue();
        if (buttons & dbYes) return drYes;
        return drOk;
    }
    QString pickOpenFile(const QString&, const QString& folder, const QString& name, const QString&) override {
        pickFolders << folder;
        pickNames << name;
        return nextPick();
    }
    QString pickSaveFile(const QString&, const QString&, const QString& name, const QString&) override {
        pickNames << name;
        return nextPick();
    }
    QString pickFolder(const QString&, const QString&) override { return nextPick(); }
    int chooseOption(rOptionRequest& request) override {
        options.append(request);
        return optionAnswers.isEmpty() ? request.current : optionAnswers.dequeue();
    }
    bool chooseRows(rRowChoiceRequest& request) override {
        rowChoices.append(request);
        return rowAnswer ? rowAnswer(request) : THost::chooseRows(request);
    }
    bool editText(rTextRequest& request) override { return textAnswer ? textAnswer(request) : true; }
    void setProgressRange(int maximum) override { progressMaximum = maximum; }
    void setProgress(int position) override { progressPosition = position; }
    void setStatusText(int panel, const QString& text) override {
        statusTexts << QString::number(panel) + QStringLiteral(": ") + text;
    }
    void operationStateChanged(bool b) override {
        busy = b;
        ++busyChanges;
    }
    bool cancelRequested() override { return cancel; }

    bool logContains(const QString& part) const {
        for (const QString& line : log)
            if (line.contains(part)) return true;
        return false;
    }

private:
    QString nextPick() { return pickAnswers.isEmpty() ? QString() : pickAnswers.dequeue(); }
};
