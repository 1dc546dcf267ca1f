// Plugin compare in the window: the open dialog and the overwrite choice (through the host), the lists repainted
// and filtered again after, and the edit dialog's page of older texts.
#include "ui/QUILL_compareUi.h"

#include "ui/QUILL_editDialog.h"
#include "ui/QUILL_mainWindow.h"
#include "ui/QUILL_vocabularyPage.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsCompare.h"

void espcompareResultList(TForm1& form, TForm2& dialog) {
    const TWorkspace& ws = form.workspace();
    const tSkyStr* entry = dialog.focusedString();
    if (!entry || !compareRecordsLoaded(ws)) return;
    const bool warning = entry->hasFlag(sStrInternalParam::Warning);
    QList<TForm2::TCompareData> rows;
    for (const QString& text : compareTextsFor(ws, *entry))
        rows.append({text, warning});
    dialog.setCompareRows(rows, warning);
}

void installPluginCompare(TForm1& form) {
    TWorkspace& ws = form.workspace();
    form.setCommand(QStringLiteral("LoadEspCompare"), [&form, &ws] {
        // The "overwrite_Selection" choice reads the lists' selection through the vocabulary page's hooks.
        if (auto* page = qobject_cast<TVocabularyPage*>(form.vocabularyPage()); page && page->beforeCommand)
            page->beforeCommand();
        pickAndComparePlugin(ws);
        // Refused, cancelled or done, the lists show the entries as they now are, under the filter text.
        form.repaintLists();
        form.updateTitle();
        form.updateCommands();
    });
    if (TForm2* dialog = editDialog(form))
        dialog->compareResultList = [&form](TForm2& d) { espcompareResultList(form, d); };
}
