// What the window tests share: a window on a temporary program folder, and one answerer of the modal dialogs a
// command opens while it runs.
#pragma once

#include "ui_screenshot.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <functional>

// Runs the event loop until `done` holds (a timer of the window fired) or `ms` passed; returns whether it holds.
inline bool waitUntil(const std::function<bool()>& done, int ms = 3000) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
    return true;
}

// Answers every modal dialog that shows while it lives: `answer` gets the dialog and returns true once it answered
// it (a dialog left unanswered is offered again on the next tick). Counts the dialogs answered.
class TModalAnswerer {
public:
    explicit TModalAnswerer(std::function<bool(QWidget* modal)> answer) : answer_(std::move(answer)) {
        timer_.setInterval(20);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal && modal != last_ && answer_(modal)) {
                last_ = modal;
                ++answered;
            }
        });
        timer_.start();
    }
    int answered = 0;

private:
    std::function<bool(QWidget*)> answer_;
    // Null again once the dialog answered is gone: the next one may be built at the same address.
    QPointer<QWidget> last_;
    QTimer timer_;
};
