// Workspace commands for string table sets.
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsStrings.h"

bool TWorkspace::openTableSet(const QString& path, bool rememberFolder) {
    (void)rememberFolder;
    app.logMessage(app.uiTextFormat(QStringLiteral("FbK_UnsupportedFile"), {path}), true);
    return false;
}
