// The store command of the edit dialog and the command line: one translation, and the strings that follow it, as one
// undo step.
#include "aids/QUILL_editLogic.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsAids.h"

bool TWorkspace::storeTranslation(tSkyStr* entry, const rStoreRequest& request) {
    if (!entry) return false;
    const QString source =
        !request.source ? entry->gS : (request.trim ? editlogic::trimForStore(*request.source, {}) : *request.source);
    // Enter in the editor gives LF; the game's texts break lines with CRLF.
    const QString translation = editlogic::withSourceLineBreaks(
        request.trim ? editlogic::trimForStore(request.translation, source) : request.translation, source);
    const bool sourceChanged = request.source && source != entry->gS;
    if (!sourceChanged && !editlogic::needsStore(*entry, translation, request.forceValid, request.statusIn))
        return false;
    TEntryCommand command(*this, QStringLiteral("Step_Translate"), {entry});
    if (sourceChanged) entry->setS(source);
    entry->setSTrans(translation);
    entry->resetStatus(request.statusIn, request.statusOut);
    if (request.carrySimilar) carrySimilarTranslations(*this, command, *entry, request.statusIn, request.statusOut);
    const int changed = command.finish();
    if (sourceChanged) markUnsavableChange();
    return changed > 0 || sourceChanged;
}
