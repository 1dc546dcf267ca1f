// What the window tests share: a window on a temporary program folder, and one answerer of the modal dialogs a
// command opens while it runs.
#pragma once

#include "ui_screenshot.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <functional>

// Answers every modal dialog that shows while it lives: `answer` gets the dialog and returns true once it answered
// (closed) it; a dialog left open is offered again on the next tick. Counts the dialogs answered.
class TModalAnswerer {
public:
    explicit TModalAnswerer(std::function<bool(QWidget* modal)> answer) : answer_(std::move(answer)) {
        timer_.setInterval(20);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal && modal->isVisible() && answer_(modal)) ++answered;
        });
        timer_.start();
    }
    int answered = 0;

private:
    std::function<bool(QWidget*)> answer_;
    QTimer timer_;
};
