// The custom dictionary document: opening, saving and adding entries.
#include "workspace/QUILL_wsCustomDictionary.h"

#include "core/QUILL_helpers.h"
#include "dictionary/QUILL_dictionary.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsVocabulary.h"

#include <QFileInfo>

bool TWorkspace::saveCustomDictionary() {
    if (!customDictionary()) return false;
    storePendingEdit();
    const QString fileName = dictionaryFileName(app.state, quilldict::customDictionaryName(), QStringLiteral("sst"));
    TOperation operation(app, app.uiText(QStringLiteral("Fbk_SaveCustom")), true);
    const bool ok = saveDictionaryFile(*this, fileName);
    refreshVocabularyEntry(*this, quilldict::customDictionaryName());
    return ok;
}

bool TCustomDictionaryDocument::open(TWorkspace& ws, const QString&, bool) {
    TAppContext& app = ws.app;
    TAppState& st = app.state;
    const QString name = quilldict::customDictionaryName();
    const QString path = pathNoCase(st.userDictionaryFolder, dictionaryFileName(st, name, QStringLiteral("sst")));
    auto document = std::make_unique<TCustomDictionaryDocument>();
    document->path = path;
    ws.installDocument(std::move(document));
    st.currentFileName = name;
    st.currentFilePath = path;
    TOperation operation(app, app.uiText(QStringLiteral("Fbk_LoadCustom")), true);
    if (QFileInfo::exists(path)) {
        int counter = 0;
        quilldict::loadDictionaryForEdit(app, ws.loadedLists, path, true, 1u << static_cast<int>(sStrParam::translated),
                                         1u << static_cast<int>(sStrParam::incompleteTrans), counter);
    }
    return true;
}

rColumnLayout TCustomDictionaryDocument::layout() const {
    rColumnLayout layout;
    layout.idVisible = false;
    return layout;
}

bool TCustomDictionaryDocument::save(TWorkspace& ws, bool, const QString&) {
    return ws.saveCustomDictionary();
}

tSkyStr* addCustomEntry(TWorkspace& ws, int listIndex) {
    if (!ws.customDictionary() || listIndex < 0 || listIndex > 2) return nullptr;
    ws.storePendingEdit();
    auto entry =
        std::make_unique<tSkyStr>(QString(), QString(), listIndex, 0u, 0, sStrParams{sStrParam::incompleteTrans});
    tSkyStr* added = entry.get();
    ws.reorderLists([&] { ws.loadedLists[listIndex].push_back(std::move(entry)); });
    ws.markUnsavableChange();
    return added;
}
