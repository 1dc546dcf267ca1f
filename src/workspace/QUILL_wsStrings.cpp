// Workspace commands for string table sets, and the save dispatch shared by every document kind.
#include "workspace/QUILL_wsStrings.h"
#include "workspace/QUILL_wsEncoding.h"

#include "core/QUILL_files.h"
#include "core/QUILL_helpers.h"
#include "core/QUILL_recent.h"
#include "dictionary/QUILL_cache.h"
#include "strings/QUILL_stringTable.h"
#include "workspace/QUILL_journal.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsChecks.h"
#include "workspace/QUILL_wsDictionary.h"

#include <QDir>
#include <QFileInfo>

bool TTableSetDocument::open(TWorkspace& ws, const QString& path, bool rememberFolder) {
    TAppContext& app = ws.app;
    TAppState& st = app.state;
    const QFileInfo info(path);
    const rStringLang parts = splitNameLang(info.completeBaseName());
    const QString folder = quillfs::withTrailingSeparator(info.absolutePath());
    if (rememberFolder) st.StringsAddonFolder = folder;

    auto document = std::make_unique<TTableSetDocument>();
    document->path = path;
    document->folder = folder;
    document->pluginName = parts.name;
    document->language = parts.s1;
    ws.installDocument(std::move(document));
    st.openTablesFolder = folder;
    st.openTablesLang = parts.s1;
    st.currentFileName = parts.name;
    st.currentFilePath = path;

    rTableSink openSink;
    openSink.mode = tSinkMode::openTables;
    TOperation operation(app, app.uiTextFormat(QStringLiteral("FbK_LoadindAddonStr"), {QDir::toNativeSeparators(path)}),
                         true, true);
    if (!readTableSet(app, ws.loadedLists, folder, parts.name.toLower(), openSink, false, parts.s1)) return false;
    app.host().setStatusText(2, app.uiText(QStringLiteral("Fbk_ComputeData")));
    addRecentFile(st.recentAddon, path);
    ws.applyDocumentDictionary();
    operation.end();
    ws.afterDocumentLoad();
    return true;
}

void splitSaveAsTarget(const QString& target, const QString& destLang, QString& folder, QString& name) {
    const QFileInfo info(QDir::fromNativeSeparators(target));
    folder = quillfs::withTrailingSeparator(info.absolutePath());
    name = info.fileName();
    // "Mod.esp" names the table set "Mod": a table or plugin extension on the name is never part of it.
    if (tableKindOfFile(name) >= 0 || documentKind("plugin").extensions.contains(info.suffix().toLower()))
        name = info.completeBaseName();
    const QString suffix = QLatin1Char('_') + destLang;
    if (name.size() > suffix.size() && name.endsWith(suffix, Qt::CaseInsensitive)) name.chop(suffix.size());
}

bool TWorkspace::saveTableSet(const QString& folder, const QString& pluginName) {
    TAppState& st = app.state;
    if (tableSetExists(folder, pluginName, st.DestLang)) {
        const int answer = app.messageDialog(app.uiTextFormat(QStringLiteral("Fbk_FinalizeConfirm"),
                                                              {pluginName + QLatin1Char('_') + st.DestLang, QString()}),
                                             dbYesNo);
        if (answer != drYes) return false;
    }
    QDir().mkpath(folder);
    TOperation operation(app, app.uiText(QStringLiteral("Fbk_SaveStr")), true, true);
    app.progressMax(2);
    bool ok = false;
    // The writer orders the lists by id: the views keep their rows on their entries.
    reorderLists([&] { ok = writeTableSet(app, loadedLists, folder, pluginName, st.DestLang); });
    if (ok) {
        const QString base = QDir::toNativeSeparators(quillfs::withTrailingSeparator(folder) + pluginName +
                                                      QLatin1Char('_') + st.DestLang);
        app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_Saved"), {base}), true, dbSelfClosing);
    }
    return ok;
}

bool saveTableSetDocument(TWorkspace& ws, bool saveAs, const QString& target, const QString& folder,
                          const QString& name) {
    if (!saveAs) return ws.saveTableSet(folder, name);
    const QString chosen = chooseSaveTarget(ws, target, "Dia_SaveStrAs", folder, name, "FilterStr");
    if (chosen.isEmpty()) return false;
    QString chosenFolder, chosenName;
    splitSaveAsTarget(chosen, ws.app.state.DestLang, chosenFolder, chosenName);
    if (chosenName.isEmpty()) return false;
    return ws.saveTableSet(chosenFolder, chosenName);
}

bool TWorkspace::saveDocument(bool saveAs, const QString& target, bool confirmed) {
    TAppState& st = app.state;
    if (!st.fileLoaded()) {
        app.logMessage(app.uiText(QStringLiteral("FbK_NothingToSave")), true);
        return false;
    }
    // The edit dialog stores its pending edit and closes before anything is written.
    storePendingEdit();
    // Common start of every save: the translator confirms unless expert mode is on.
    if (!st.quillexpertMode && !confirmed) {
        const int answer = app.messageDialog(
            app.uiTextFormat(QStringLiteral("Fbk_FinalizeWarn"), {st.currentFileName, st.SourceLang, st.DestLang}),
            dbYesNo);
        if (answer != drYes) return false;
    }
    if (!confirmMisencodedSave(*this)) return false;
    saveNote.clear();
    if (!document || !document->save(*this, saveAs, target)) return false;
    // What the journal holds is in the file now.
    endJournal(*this);
    // Where the document is the only place the work goes, saving it saves the work.
    if (document->savesWorkAsDocument(st)) {
        saveIgnoredProblems(*this);
        markWorkSaved();
    }
    return true;
}

bool TWorkspace::saveDocumentWithDictionary(bool saveAs) {
    if (!saveDocument(saveAs)) return false;
    if (!hasUnsavedWork() || !canSaveDocumentDictionary()) return true;
    const bool saved = saveDocumentDictionary();
    if (!saveNote.isEmpty()) app.host().setStatusText(2, saveNote);
    return saved;
}

rColumnLayout TTableSetDocument::layout() const {
    rColumnLayout layout;
    layout.idWidth = 60;
    return layout;
}

bool TTableSetDocument::save(TWorkspace& ws, bool saveAs, const QString& target) {
    return saveTableSetDocument(ws, saveAs, target, folder, pluginName);
}

int buildCacheCommand(TWorkspace& ws, const QString& stringsFolder, int* failed) {
    TAppContext& app = ws.app;
    // The options close the work before they switch languages; there is nothing left to close then.
    if (ws.hasLoadedWork() && !ws.closeAll()) return -1;
    const QString folder =
        stringsFolder.isEmpty() ? app.state.StringsFolder : quillfs::withTrailingSeparator(stringsFolder);
    TOperation operation(app, app.uiText(QStringLiteral("Build_Cache")), true, true);
    unloadVocabulary(ws);
    app.progressMax(app.state.vocabularyList.size());
    const int written = buildCaches(app, ws.vocabularyLists, folder, failed);
    clearListSet(ws.vocabularyLists);
    vocabularyState(ws).vocab.loaded = false;
    app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_CacheBuilt"), {written}));
    return written;
}
