// The table of document kinds.
#include "workspace/QUILL_document.h"

#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsDictionary.h"
#include "workspace/QUILL_wsPlugin.h"
#include "workspace/QUILL_wsScript.h"
#include "workspace/QUILL_wsStrings.h"

#include <QFileInfo>

bool TDocument::saveWork(TWorkspace& ws) {
    return savesWorkAsDocument(ws.app.state) ? ws.saveDocument(false) : ws.saveDocumentDictionary();
}

QString chooseSaveTarget(TWorkspace& ws, const QString& target, const char* titleKey, const QString& folder,
                         const QString& name, const char* filterKey) {
    if (!target.isEmpty()) return target;
    return ws.app.host().pickSaveFile(ws.app.uiText(QLatin1String(titleKey)), folder, name,
                                      ws.app.uiText(QLatin1String(filterKey)));
}

const std::vector<rDocumentKind>& documentKinds() {
    static const std::vector<rDocumentKind> kinds = {
        {"script", {QStringLiteral("pex")}, "Filterpex", &TAppState::papyrusPexFolder, false, &TScriptDocument::open},
        {"menuFile",
         {QStringLiteral("bsa"), QStringLiteral("ba2"), QStringLiteral("txt")},
         "Filtertxt",
         &TAppState::StringsAddonFolder,
         false,
         &TMenuDocument::open},
        // Light plugins (.esl) are plugins of the same format.
        {"plugin",
         {QStringLiteral("esp"), QStringLiteral("esm"), QStringLiteral("esl")},
         "FilterEsp",
         &TAppState::EspFolder,
         false,
         &TPluginDocument::open},
        {"stringTables",
         {QStringLiteral("strings"), QStringLiteral("dlstrings"), QStringLiteral("ilstrings")},
         "FilterStr",
         &TAppState::StringsAddonFolder,
         true,
         &TTableSetDocument::open},
        {"customDictionary", {}, "", &TAppState::userDictionaryFolder, false, &TCustomDictionaryDocument::open},
    };
    return kinds;
}

const rDocumentKind* documentKindOf(const QString& path) {
    const QString extension = QFileInfo(path).suffix().toLower();
    if (extension.isEmpty()) return nullptr;
    for (const rDocumentKind& kind : documentKinds())
        if (kind.extensions.contains(extension)) return &kind;
    return nullptr;
}

const rDocumentKind& documentKind(const char* name) {
    for (const rDocumentKind& kind : documentKinds())
        if (qstrcmp(kind.name, name) == 0) return kind;
    Q_ASSERT_X(false, "documentKind", name);
    return documentKinds().front();
}
