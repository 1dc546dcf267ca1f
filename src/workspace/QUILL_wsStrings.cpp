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

bool TWorkspace::openTableSet(const QString& path, bool rememberFolder) {
    if (!confirmDictionarySave()) return false;
    TAppState& st = app.state;
    const QFileInfo info(path);
    const rStringLang parts = splitNameLang(info.completeBaseName());
    const QString folder = quillfs::withTrailingSeparator(info.absolutePath());
    if (rememberFolder) st.StringsAddonFolder = folder;
    st.openTablesFolder = folder;
    st.openTablesLang = parts.s1;
    st.currentFileName = parts.name;
    st.currentFilePath = path;

    clearLoadedLists();
    rTableSink openSink;
    openSink.mode = tSinkMode::openTables;
    TOperation operation(app, app.uiTextFormat(QStringLiteral("FbK_LoadindAddonStr"), {QDir::toNativeSeparators(path)}),
                         true, true);
    const bool ok = readTableSet(app, loadedLists, folder, parts.name.toLower(), openSink, false, parts.s1);
    if (ok) {
        app.host().setStatusText(2, app.uiText(QStringLiteral("Fbk_ComputeData")));
        addRecentFile(st.recentAddon, path);
        st.WorkMode = TWorkMode::Strings;
        auto doc = std::make_unique<TTableSetDocument>();
        doc->path = path;
        doc->folder = folder;
        doc->pluginName = parts.name;
        doc->language = parts.s1;
        document = std::move(doc);
        applyDocumentDictionary();
    }
    operation.end();
    if (ok) {
        afterDocumentLoad();
    } else {
        // Nothing half-read stays: the previous document was already closed.
        clearLoadedLists();
        st.WorkMode = TWorkMode::None;
        st.currentFileName.clear();
        st.currentFilePath.clear();
    }
    return ok;
}

QString tableSaveFolder(const TWorkspace& ws) {
    const TAppState& st = ws.app.state;
    if (!st.openTablesFolder.isEmpty()) return st.openTablesFolder;
    // A localized plugin whose loader did not note its tables' folder: the strings folder beside it.
    return quillfs::withTrailingSeparator(QFileInfo(st.currentFilePath).absolutePath()) + QStringLiteral("strings/");
}

QString tableSaveName(const TWorkspace& ws) {
    const TAppState& st = ws.app.state;
    if (st.WorkMode == TWorkMode::StringsEspLayout) return stripExtension(st.currentFileName);
    return st.currentFileName;
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
    const bool ok = writeTableSet(app, loadedLists, folder, pluginName, st.DestLang);
    if (ok) {
        const QString base = QDir::toNativeSeparators(quillfs::withTrailingSeparator(folder) + pluginName +
                                                      QLatin1Char('_') + st.DestLang);
        app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_Saved"), {base}), true, dbSelfClosing);
    }
    return ok;
}

bool TWorkspace::saveTableSetDocument(bool saveAs, const QString& target) {
    if (!saveAs) return saveTableSet(tableSaveFolder(*this), tableSaveName(*this));
    const QString chosen = chooseSaveTarget(*this, target, "Dia_SaveStrAs", tableSaveFolder(*this),
                                            stripExtension(tableSaveName(*this)), "FilterStr");
    if (chosen.isEmpty()) return false;
    QString folder, name;
    splitSaveAsTarget(chosen, app.state.DestLang, folder, name);
    if (name.isEmpty()) return false;
    return saveTableSet(folder, name);
}

bool TWorkspace::saveDocument(bool saveAs, const QString& target, bool confirmed) {
    TAppState& st = app.state;
    if (!st.fileLoaded()) {
        app.logMessage(app.uiText(QStringLiteral("FbK_NothingToSave")), true);
        return false;
    }
    // The edit dialog stores its pending edit and closes before anything is written.
    if (const auto& storePending = vocabularyState(*this).storePendingEdit) storePending();
    // Common start of every save: the translator confirms unless expert mode is on.
    if (!st.quillexpertMode && !confirmed) {
        const int answer = app.messageDialog(
            app.uiTextFormat(QStringLiteral("Fbk_FinalizeWarn"), {st.currentFileName, st.SourceLang, st.DestLang}),
            dbYesNo);
        if (answer != drYes) return false;
    }
    if (!confirmMisencodedSave(*this)) return false;
    if (!document || !document->save(*this, saveAs, target)) return false;
    // What the journal holds is in the file now.
    endJournal(*this);
    // Where the document is the only place the work goes, saving it saves the work.
    if (st.WorkMode == TWorkMode::Strings || st.SourceLang.compare(st.DestLang, Qt::CaseInsensitive) == 0) {
        saveIgnoredProblems(*this);
        markWorkSaved();
    }
    return true;
}

rColumnLayout TTableSetDocument::layout() const {
    rColumnLayout layout;
    layout.idWidth = 60;
    return layout;
}

bool TTableSetDocument::save(TWorkspace& ws, bool saveAs, const QString& target) {
    return ws.saveTableSetDocument(saveAs, target);
}

int buildCacheCommand(TWorkspace& ws, const QString& stringsFolder) {
    TAppContext& app = ws.app;
    if (!ws.closeAll()) return -1;
    const QString folder =
        stringsFolder.isEmpty() ? app.state.StringsFolder : quillfs::withTrailingSeparator(stringsFolder);
    TOperation operation(app, app.uiText(QStringLiteral("Build_Cache")), true, true);
    unloadVocabulary(ws);
    app.progressMax(app.state.vocabularyList.size());
    const int written = buildCaches(app, ws.vocabularyLists, folder);
    clearListSet(ws.vocabularyLists);
    vocabularyState(ws).vocab.loaded = false;
    app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_CacheBuilt"), {written}));
    return written;
}
