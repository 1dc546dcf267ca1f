// The list of areas that install pages and commands into the main window. An area adds its own installer here:
// a function in its own file (say installVocabularyPage(TForm1&)) that fills form.vocabularyPage() and calls
// form.setCommand("Key", handler) for its menu items, then one call below.
#include "ui/QUILL_uiExtensions.h"

#include "ui/QUILL_aidsUi.h"
#include "ui/QUILL_checksUi.h"
#include "ui/QUILL_compareUi.h"
#include "ui/QUILL_dialogueUi.h"
#include "ui/QUILL_editDialog.h"
#include "ui/QUILL_encodingBar.h"
#include "ui/QUILL_espTreeView.h"
#include "ui/QUILL_mainWindow.h"
#include "ui/QUILL_pexListingView.h"
#include "ui/QUILL_progressView.h"
#include "ui/QUILL_recordToolsUi.h"
#include "ui/QUILL_spellingUi.h"
#include "ui/QUILL_vocabularyPage.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsAids.h"

namespace {

// The edit dialog's aids: the word proposals of the word under the caret, and opening on a suggestion the translator
// picked.
void connectEditDialogToAids(TForm1& form, TForm2& dialog, TSuggestionsPage& suggestions) {
    TWorkspace& ws = form.workspace();
    QObject::connect(&dialog, &TForm2::wordsRequested, &dialog, [&ws, &dialog](const QString& text) {
        QStringList words;
        textWords(words, text, 12);
        QStringList translations;
        if (!words.isEmpty()) wordSuggestions(ws, translations, words.constFirst(), 5);
        dialog.setWordProposals(words.value(0), translations);
    });
    // The suggestions refuse to change another string than the one the dialog holds.
    QObject::connect(&dialog, &TForm2::focusedStringChanged, &dialog,
                     [&ws](tSkyStr* entry) { aidsState(ws).fstring = entry; });
    suggestions.openEditDialog = [&ws, &dialog](tSkyStr& entry, const QString& proposed) {
        dialog.bestLDString = aidsState(ws).bestLDString;
        dialog.openEditDialog(true, &entry, &proposed);
    };
}

} // namespace

void installUiExtensions(TForm1& form) {
    installEspTreeView(form);
    installPexListingView(form);
    installVocabularyPage(form);
    installRecordToolsUi(form);
    installEditDialog(form);
    installSpellingUi(form);
    installDialogueUi(form);
    installPluginCompare(form);
    installEncodingBar(form);
    installProgressView(form);
    TSuggestionsPage* suggestions = installAidsUi(form);
    if (TForm2* dialog = editDialog(form); dialog && suggestions) connectEditDialogToAids(form, *dialog, *suggestions);
    installChecksUi(form);
}
