// The edit dialog's command: storing one translation as an undo step.
#include "workspace/QUILL_workspace.h"

bool TWorkspace::storeTranslation(tSkyStr* entry, const QString& translation, sStrParams statusIn, sStrParams statusOut,
                                  const QString* source) {
    if (!entry) return false;
    TEntryCommand command(*this, QStringLiteral("Step_Translate"), {entry});
    const bool sourceChanged = source && *source != entry->gS;
    if (sourceChanged) entry->setS(*source);
    entry->setSTrans(translation);
    entry->resetStatus(statusIn, statusOut);
    const int changed = command.finish();
    if (sourceChanged) markUnsavableChange();
    return changed > 0 || sourceChanged;
}
