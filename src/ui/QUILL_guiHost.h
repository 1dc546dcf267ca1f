// The host of the desktop window: real dialogs, the log pane, the status bar and the event loop.
#pragma once

#include "core/QUILL_host.h"

class TForm1;
class TAppContext;

class TGuiHost : public THost {
public:
    explicit TGuiHost(TForm1* form) : form_(form) {}
    // The context whose texts the dialogs use (set once the workspace exists).
    void setContext(TAppContext* app) { app_ = app; }

    void appendLog(const QString& line) override;
    int showMessage(const QString& caption, const QString& text, int buttons, int intervalMs) override;
    QString pickOpenFile(const QString& title, const QString& startDir, const QString& fileName,
                         const QString& filter) override;
    QString pickSaveFile(const QString& title, const QString& startDir, const QString& fileName,
                         const QString& filter) override;
    QString pickFolder(const QString& caption, const QString& start) override;
    int chooseOption(rOptionRequest& request) override;
    bool chooseRows(rRowChoiceRequest& request) override;
    bool editText(rTextRequest& request) override;
    void setProgressRange(int maximum) override;
    void setProgress(int position) override;
    void setStatusText(int panel, const QString& text) override;
    void operationStateChanged(bool busy) override;
    void processEvents() override;
    bool cancelRequested() override { return cancel_; }
    void clearCancelRequest() override { cancel_ = false; }
    void beep() override;

    // Escape during an operation.
    void requestCancel() { cancel_ = true; }

    // A filter text in either form ("Plugins|*.esp;*.esm|All|*.*" or "Plugins (*.esp *.esm);;All (*)") made the
    // file dialog's form.
    static QString dialogFilter(const QString& filter);

private:
    // A question of two answers (rOptionRequest::yesNo), each a button; -1 when cancelled.
    int askTwoWays(const rOptionRequest& request);

    TForm1* form_;
    TAppContext* app_ = nullptr;
    bool cancel_ = false;
};
