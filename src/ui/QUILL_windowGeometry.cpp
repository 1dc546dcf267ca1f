// The saved place of a top-level window: frame corner and client size.
#include "ui/QUILL_windowGeometry.h"

#include "core/QUILL_helpers.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

rwindowpos restoreWindowGeometry(QWidget& window, const rwindowpos& saved) {
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 800);
    const rwindowpos pos = fitWindowPos(saved, available.size());
    const int width = qMax(pos.width, window.minimumWidth());
    const int height = qMax(pos.height, window.minimumHeight());
    window.resize(width, height);
    // Keep the window reachable: a position saved on a screen that is gone is brought back onto this one.
    int left = pos.left, top = pos.top;
    if (left + 100 > available.right() || left + width < available.left() + 100) left = available.left();
    if (top < available.top() || top + 50 > available.bottom()) top = available.top();
    window.move(left, top);
    return pos;
}

bool saveWindowGeometry(const QWidget& window, rwindowpos& pos) {
    const bool normal = !(window.isMaximized() || window.isMinimized() || window.isFullScreen());
    const QRect client = normal ? window.geometry() : window.normalGeometry();
    if (!client.isValid()) return false;
    pos.width = client.width();
    pos.height = client.height();
    const QPoint frameOffset = window.geometry().topLeft() - window.frameGeometry().topLeft();
    pos.top = client.top() - frameOffset.y();
    pos.left = client.left() - frameOffset.x();
    return true;
}
