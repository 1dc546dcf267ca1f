// Saves of the document kinds whose writers are not wired yet: each reports that saving is not available.
#include "workspace/QUILL_workspace.h"

namespace {

bool notAvailable(TAppContext& app) {
    app.logMessage(app.uiText(QStringLiteral("FbK_NotAvailable")), true);
    return false;
}

} // namespace

bool TWorkspace::saveScriptDocument(bool, const QString&) {
    return notAvailable(app);
}

bool TWorkspace::saveMenuDocument(bool, const QString&) {
    return notAvailable(app);
}
