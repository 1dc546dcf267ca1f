// The list of areas that install pages and commands into the main window. An area adds its own installer here:
// a function in its own file (say installVocabularyPage(TForm1&)) that fills form.vocabularyPage() and calls
// form.setCommand("Key", handler) for its menu items, then one call below.
#include "ui/QUILL_uiExtensions.h"

#include "ui/QUILL_editDialog.h"
#include "ui/QUILL_aidsUi.h"
#include "ui/QUILL_espTreeView.h"
#include "ui/QUILL_mainWindow.h"
#include "ui/QUILL_pexListingView.h"
#include "ui/QUILL_vocabularyPage.h"

void installUiExtensions(TForm1& form) {
    installEspTreeView(form);
    installPexListingView(form);
    installVocabularyPage(form);
    installEditDialog(form);
    installAidsUi(form);
}
