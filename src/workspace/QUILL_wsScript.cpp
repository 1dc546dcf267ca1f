// Workspace commands for compiled scripts and menu translation files.
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsScript.h"

bool TWorkspace::loadScript(const QString& path, bool rememberFolder) {
    (void)rememberFolder;
    app.logMessage(app.uiTextFormat(QStringLiteral("FbK_UnsupportedFile"), {path}), true);
    return false;
}

bool TWorkspace::loadMenuFile(const QString& path) {
    app.logMessage(app.uiTextFormat(QStringLiteral("FbK_UnsupportedFile"), {path}), true);
    return false;
}

QString TWorkspace::menuKeyOf(const tSkyStr& entry) const {
    (void)entry;
    return {};
}
