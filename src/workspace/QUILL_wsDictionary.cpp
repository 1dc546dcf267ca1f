// Workspace commands for dictionaries and the vocabulary.
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsDictionary.h"

bool TWorkspace::saveDocumentDictionary() {
    app.logMessage(app.uiText(QStringLiteral("FbK_NotAvailable")), true);
    return false;
}

bool TWorkspace::saveCustomDictionary() {
    app.logMessage(app.uiText(QStringLiteral("FbK_NotAvailable")), true);
    return false;
}

void TWorkspace::applyDocumentDictionary() {}

void TWorkspace::afterDocumentLoad() {}
