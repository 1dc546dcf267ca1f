// The workspace: ownership of the open work, opening by kind, closing.
#include "workspace/QUILL_workspace.h"

#include "workspace/QUILL_wsDictionary.h"
#include "workspace/QUILL_wsPlugin.h"
#include "workspace/QUILL_wsScript.h"
#include "workspace/QUILL_wsStrings.h"

#include "core/QUILL_helpers.h"
#include "core/QUILL_recent.h"

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
    static const QStringList kinds = {
        QStringLiteral("pex"), QStringLiteral("bsa"),     QStringLiteral("txt"),       QStringLiteral("esp"),
        QStringLiteral("esm"), QStringLiteral("strings"), QStringLiteral("dlstrings"), QStringLiteral("ilstrings")};
    return kinds.contains(QFileInfo(path).suffix().toLower());
}

bool TWorkspace::confirmDictionarySave() {
    TAppState& st = app.state;
    if (st.SourceLang.compare(st.DestLang, Qt::CaseInsensitive) == 0 || st.WorkMode == TWorkMode::Strings)
        st.dictionaryModified = false;
    if (!st.dictionaryModified) return true;
    const int answer =
        app.messageDialog(app.uiTextFormat(QStringLiteral("Ask_SavingSST"), {st.currentFileName}), dbYesNoCancel);
    if (answer == drYes) {
        if (st.WorkMode == TWorkMode::sstEditCustom)
            saveCustomDictionary();
        else
            saveDocumentDictionary();
        return true;
    }
    if (answer == drNo) {
        st.dictionaryModified = false;
        return true;
    }
    return false;
}

void TWorkspace::clearLoadedLists() {
    for (auto& pairs : heuristicMatches)
        pairs.clear();
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
    // Unloading keeps the remembered apply and overwrite choices, which live with the vocabulary state.
    unloadVocabulary(*this);
    app.state.WorkMode = TWorkMode::None;
    app.state.currentFileName.clear();
    app.state.currentFilePath.clear();
    app.state.openTablesFolder.clear();
    app.state.openTablesLang.clear();
    app.state.addonHash = 0;
    app.endOperation();
    scanVocabulary(*this);
    return true;
}

bool TWorkspace::hasLoadedWork() const {
    return app.state.fileLoaded() || app.state.dictionaryMode() || countListSet(vocabularyLists) > 0;
}

TWorkspace::TRecentResult TWorkspace::openRecentFile(int index) {
    QStringList& recent = app.state.recentAddon;
    if (index < 0 || index >= recent.size()) return TRecentResult::outOfRange;
    const QString path = recent[index];
    if (!QFileInfo::exists(path)) {
        removeRecentFile(recent, path);
        app.logMessage(app.uiText(QStringLiteral("FbK_menuFail")), true, dbOk);
        return TRecentResult::removed;
    }
    bool opened = false;
    switch (recentFileKind(path)) {
    case TRecentKind::menuFile:
        opened = loadMenuFile(path);
        break;
    case TRecentKind::plugin:
        opened = openPlugin(path, false);
        break;
    case TRecentKind::script:
        opened = loadScript(path, false);
        break;
    case TRecentKind::stringTables:
        opened = openTableSet(path, false);
        break;
    }
    return opened ? TRecentResult::opened : TRecentResult::notOpened;
}

bool TWorkspace::applyPreset(int index) {
    TAppState& st = app.state;
    if (index < 0 || index >= st.presetlang.size()) return false;
    const rPresetName preset = splitPresetName(st.presetlang[index]);
    if (preset.src.isEmpty() || preset.dst.isEmpty()) return false;
    if (preset.src.compare(st.SourceLang, Qt::CaseInsensitive) == 0 &&
        preset.dst.compare(st.DestLang, Qt::CaseInsensitive) == 0)
        return false;
    if (hasLoadedWork()) {
        if (app.messageDialog(app.uiText(QStringLiteral("Ask_LangUnload")), dbYesNo) != drYes) return false;
    }
    if (!closeAll()) return false;
    st.SourceLang = preset.src;
    st.DestLang = preset.dst;
    app.refreshStatusLanguage();
    return true;
}
