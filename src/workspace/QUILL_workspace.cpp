// The workspace: ownership of the open work, opening by kind, closing.
#include "workspace/QUILL_workspace.h"

#include "workspace/QUILL_wsDictionary.h"
#include "workspace/QUILL_wsPlugin.h"
#include "workspace/QUILL_wsScript.h"
#include "workspace/QUILL_wsStrings.h"

#include <QFileInfo>

TWorkspace::TWorkspace(THost* host) : app(host) {}

TWorkspace::~TWorkspace() = default;

bool TWorkspace::openFileByKind(const QString& path) {
    const QString extension = QFileInfo(path).suffix().toLower();
    if (extension == QLatin1String("pex")) return loadScript(path, false);
    if (extension == QLatin1String("bsa") || extension == QLatin1String("txt")) return loadMenuFile(path);
    if (extension == QLatin1String("esp") || extension == QLatin1String("esm")) return openPlugin(path, false);
    if (extension == QLatin1String("strings") || extension == QLatin1String("dlstrings") ||
        extension == QLatin1String("ilstrings"))
        return openTableSet(path, true);
    return false;
}

bool TWorkspace::isOpenableKind(const QString& path) {
    static const QStringList kinds = {QStringLiteral("pex"),     QStringLiteral("bsa"),       QStringLiteral("txt"),
                                      QStringLiteral("esp"),     QStringLiteral("esm"),       QStringLiteral("strings"),
                                      QStringLiteral("dlstrings"), QStringLiteral("ilstrings")};
    return kinds.contains(QFileInfo(path).suffix().toLower());
}

bool TWorkspace::confirmDictionarySave() {
    TAppState& st = app.state;
    if (st.SourceLang.compare(st.DestLang, Qt::CaseInsensitive) == 0 || st.WorkMode == TWorkMode::Strings)
        st.dictionaryModified = false;
    if (!st.dictionaryModified) return true;
    const int answer = app.messageDialog(app.uiTextFormat(QStringLiteral("Ask_SavingSST"), {st.currentFileName}),
                                         dbYesNoCancel);
    if (answer == drYes) {
        if (st.WorkMode == TWorkMode::sstEditCustom) saveCustomDictionary();
        else saveDocumentDictionary();
        return true;
    }
    if (answer == drNo) {
        st.dictionaryModified = false;
        return true;
    }
    return false;
}

void TWorkspace::clearLoadedLists() {
    for (auto& pairs : heuristicMatches) pairs.clear();
    sharedIdList.clear();
    clearListSet(loadedLists);
    clearListSet(workLists);
    plugin.reset();
    script.reset();
    menu.reset();
    tables.reset();
}

bool TWorkspace::closeAll() {
    if (!confirmDictionarySave()) return false;
    app.beginOperation(app.uiText(QStringLiteral("Closing")));
    clearLoadedLists();
    clearListSet(vocabularyLists);
    vocabulary.reset();
    app.state.WorkMode = TWorkMode::None;
    app.state.currentFileName.clear();
    app.state.currentFilePath.clear();
    app.endOperation();
    return true;
}
