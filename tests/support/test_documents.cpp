// Bare documents for tests.
#include "test_documents.h"

#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsDictionary.h"
#include "workspace/QUILL_wsPlugin.h"
#include "workspace/QUILL_wsScript.h"
#include "workspace/QUILL_wsStrings.h"

TDocument* adoptDocument(TWorkspace& ws, TWorkMode mode) {
    std::unique_ptr<TDocument> document;
    switch (mode) {
    case TWorkMode::Strings:
        document = std::make_unique<TTableSetDocument>();
        break;
    case TWorkMode::Esp:
    case TWorkMode::StringsEspLayout: {
        auto plugin = std::make_unique<TPluginDocument>();
        plugin->localized = mode == TWorkMode::StringsEspLayout;
        document = std::move(plugin);
        break;
    }
    case TWorkMode::ScriptPex:
        document = std::make_unique<TScriptDocument>();
        break;
    case TWorkMode::MCMTranslate:
        document = std::make_unique<TMenuDocument>();
        break;
    case TWorkMode::sstEditCustom:
        document = std::make_unique<TCustomDictionaryDocument>();
        break;
    default:
        break;
    }
    ws.document = std::move(document);
    ws.app.state.WorkMode = ws.document ? ws.document->mode() : TWorkMode::None;
    return ws.document.get();
}
