// Workspace commands for plugins.
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsPlugin.h"

bool TWorkspace::openPlugin(const QString& path, bool rememberFolder) {
    (void)rememberFolder;
    app.logMessage(app.uiTextFormat(QStringLiteral("FbK_UnsupportedFile"), {path}), true);
    return false;
}
