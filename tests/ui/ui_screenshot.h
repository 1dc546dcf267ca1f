// Saves a widget's picture as <name>.png in $QUILL_SCREENSHOT_DIR, when that is set, for a person to look at.
#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QPixmap>
#include <QString>
#include <QWidget>

inline void screenshot(QWidget* widget, const QString& name) {
    const QString dir = qEnvironmentVariable("QUILL_SCREENSHOT_DIR");
    if (dir.isEmpty()) return;
    QDir().mkpath(dir);
    QCoreApplication::processEvents();
    widget->grab().save(QDir(dir).filePath(name + QStringLiteral(".png")));
}
