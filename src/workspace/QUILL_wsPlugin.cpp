// Workspace commands for plugins: opening plain and localized plugins into the loaded lists, and saving them.
#include "workspace/QUILL_wsPlugin.h"

#include "core/QUILL_cursor.h"
#include "core/QUILL_error.h"
#include "core/QUILL_files.h"
#include "core/QUILL_helpers.h"
#include "core/QUILL_recent.h"
#include "plugin/QUILL_espDefinition.h"
#include "plugin/QUILL_espReader.h"
#include "plugin/QUILL_espWriter.h"
#include "strings/QUILL_backup.h"
#include "strings/QUILL_stringTable.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsSavedInPlace.h"
#include "workspace/QUILL_wsStrings.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <new>

namespace {

QString folderOf(const QString& path) {
    return quillfs::withTrailingSeparator(QFileInfo(path).absolutePath());
}

rPluginReadContext readContext(TAppContext& app, qsizetype total) {
    rPluginReadContext ctx;
    ctx.defs = &recordDefs();
    ctx.app = &app;
    ctx.inflateFailed = [&app](const trecord& r) {
        app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_DecompressError"), {r.getname()}), true);
    };
    app.progressMax(total);
    ctx.progress = [&app](qsizetype position) { app.progressStep(position, 1); };
    return ctx;
}

// The common start of both loads: the open work closed, the new document and the current file.
TPluginDocument& beginPluginLoad(TWorkspace& ws, const QString& fullPath, bool rememberFolder, bool localized) {
    TAppState& st = ws.app.state;
    auto document = std::make_unique<TPluginDocument>();
    document->path = fullPath;
    document->folder = folderOf(fullPath);
    document->fileName = QFileInfo(fullPath).fileName();
    document->localized = localized;
    auto& doc = static_cast<TPluginDocument&>(ws.installDocument(std::move(document)));
    st.currentFilePath = fullPath;
    st.currentFileName = doc.fileName;
    if (rememberFolder) st.EspFolder = doc.folder;
    return doc;
}

bool readPluginBytes(TAppContext& app, const QString& path, QByteArray& bytes) {
    QString error;
    if (quillfs::readWholeFile(path, bytes, &error)) return true;
    app.logMessage(error.isEmpty() ? path : error, true);
    return false;
}

// Reads the plugin's three string tables of SourceLang (sink mode 2), loose or from its archive.
bool readPluginTables(TWorkspace& ws, const QString& folder, const QString& base) {
    rTableSink sink;
    sink.mode = tSinkMode::localizedPlugin;
    sink.relinkShared = [](tSkyStr& further, tSkyStr& owner) {
        if (further.isEspAssigned()) further.esp.field->sk = &owner;
    };
    return readTableSet(ws.app, ws.loadedLists, folder, base, sink, true, ws.app.state.SourceLang);
}

// `readFrom`, when given, is the backup holding the original of a plugin saved in place, read in the file's place.
bool loadPlainPlugin(TWorkspace& ws, const QString& fullPath, const QByteArray& bytes, bool rememberFolder,
                     const QString& readFrom = QString()) {
    TAppContext& app = ws.app;
    TAppState& st = app.state;
    TPluginDocument& doc = beginPluginLoad(ws, fullPath, rememberFolder, false);
    TOperation operation(app, app.uiTextFormat(QStringLiteral("Fbk_Loadesp"), {fullPath}), true, true);
    if (!loadPluginFile(app, bytes, doc.tree, true, true, 0)) {
        operation.end();
        app.logMessage(app.uiText(QStringLiteral("Fbk_Failesp")), true);
        return false;
    }
    doc.readFrom = readFrom;
    if (readFrom.isEmpty()) {
        rSavedInPlace savedInPlace = settleSavedInPlace(ws, fullPath, doc.tree);
        if (savedInPlace.choice == TSavedInPlaceChoice::cancel) {
            operation.end();
            return false;
        }
        if (savedInPlace.choice == TSavedInPlaceChoice::original) {
            operation.end();
            app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_SavedInPlaceReadOriginal"),
                                            {QDir::toNativeSeparators(savedInPlace.originalPath), doc.fileName}));
            const QString original = savedInPlace.originalPath;
            return loadPlainPlugin(ws, fullPath, savedInPlace.originalBytes, rememberFolder, original);
        }
        if (savedInPlace.choice == TSavedInPlaceChoice::goOn) doc.textLanguage = st.DestLang;
    }
    markStringGroups(doc.tree, false);
    addRecentFile(st.recentAddon, fullPath);
    const rCodepage codepage =
        chooseCodepage(QLatin1Char('_') + doc.sourceTextLanguage(st), st.codepageList,
                       doc.textLanguage.isEmpty() ? st.ForceUtf8Load : st.ForceUtf8Export);
    doc.stringCounts = collectInlineStrings(doc.tree, ws.loadedLists, codepage, recordDefs());
    app.logMessage(
        app.uiTextFormat(QStringLiteral("Fbk_LoadEspResult"), {doc.stringCounts.records, doc.stringCounts.fields}));
    ws.applyDocumentDictionary();
    operation.end();
    ws.afterDocumentLoad();
    return true;
}

bool loadLocalizedPlugin(TWorkspace& ws, const QString& fullPath, const QByteArray& bytes, bool rememberFolder) {
    TAppContext& app = ws.app;
    TAppState& st = app.state;
    app.logMessage(app.uiText(QStringLiteral("Fbk_TESLocalized2")), true, dbSelfClosing);
    TPluginDocument& doc = beginPluginLoad(ws, fullPath, rememberFolder, true);
    TOperation operation(app, app.uiTextFormat(QStringLiteral("Fbk_Loadesp"), {fullPath}), true, true);
    bool ok = loadPluginFile(app, bytes, doc.tree, false, false, 1);
    if (ok) {
        doc.stringCounts = collectStringRefs(doc.tree, ws.loadedLists, recordDefs());
        markStringGroups(doc.tree, true);
        app.logMessage(
            app.uiTextFormat(QStringLiteral("Fbk_LoadEspResult"), {doc.stringCounts.records, doc.stringCounts.fields}));
        app.logSeparator();
        sortListSet(ws.loadedLists, skycompare::byId);
        // The strings folder as it exists, in whatever letter case, so that saves go beside the tables read.
        const QString existing = quillfs::findFileNoCase(doc.folder, QStringLiteral("strings"));
        QString folder = quillfs::withTrailingSeparator(
            existing.isEmpty() ? QDir(doc.folder).filePath(QStringLiteral("strings")) : existing);
        const QString base = doc.baseName();
        app.host().setStatusText(1, st.SourceLang + QStringLiteral(" -> ") + st.DestLang + QStringLiteral(" ") + base);
        if (st.UseStringDialog2) {
            const QString chosen =
                app.host().pickOpenFile(app.uiTextFormat(QStringLiteral("OpenLocString"), {base}),
                                        st.StringsAddonFolder, QString(), app.uiText(QStringLiteral("FilterStr")));
            if (chosen.isEmpty()) {
                ok = false;
            } else if (!QFileInfo::exists(chosen)) {
                app.logMessage(app.uiText(QStringLiteral("FileNotFound")), true);
                ok = false;
            } else {
                const rStringLang parts = splitNameLang(QFileInfo(chosen).completeBaseName());
                folder = folderOf(chosen);
                if (parts.s1.compare(st.SourceLang, Qt::CaseInsensitive) != 0) {
                    app.logMessage(app.uiText(QStringLiteral("Fbk_StringMatchError")), true);
                    ok = false;
                }
            }
        }
        if (ok) {
            doc.tablesFolder = folder;
            ok = readPluginTables(ws, folder, base.toLower());
        }
        if (ok) {
            app.host().setStatusText(2, app.uiText(QStringLiteral("Fbk_ComputeData")));
            doc.orphanShared = resolveOrphansAndShared(app, ws.loadedLists, ws.sharedIdList);
            addRecentFile(st.recentAddon, fullPath);
            st.openTablesFolder = folder;
            st.openTablesLang = st.SourceLang;
            ws.applyDocumentDictionary();
        }
    }
    operation.end();
    if (!ok) {
        app.logMessage(app.uiText(QStringLiteral("Fbk_FailespString")), true);
        return false;
    }
    const rOrphanSharedCounts counts = doc.orphanShared;
    if (counts.orphanFields > 0)
        app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_LoadEspOrpheanFix"), {counts.orphanFields}), true);
    if (counts.sharedEntries > 0)
        app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_LoadEspShareID"),
                                        {counts.sharedEntries, static_cast<int>(ws.sharedIdList.size())}));
    ws.afterDocumentLoad();
    return true;
}

} // namespace

QString TPluginDocument::baseName() const {
    return QFileInfo(fileName).completeBaseName();
}

namespace {

// Reads `bytes` with `read` after their header, whose localization flag must be `expected`. A read error is
// reported (its message logged, then an Ok dialog) after `discard` dropped what was read; false then.
template <typename Read, typename Discard>
bool readPluginReported(TAppContext& app, const QByteArray& bytes, tPluginTree* addHeaderTo, int expected,
                        const Read& read, const Discard& discard) {
    TBinaryCursor stream(bytes);
    const rPluginReadContext ctx = readContext(app, stream.size());
    try {
        const int localized = readPluginHeader(stream, addHeaderTo, ctx);
        if (localized != expected) {
            discard();
            app.logMessage(app.uiText(QStringLiteral("Fbk_TES4Error")), true);
            return false;
        }
        read(stream, ctx);
        return true;
    } catch (const TQuillError& e) {
        discard();
        app.logMessage(e.message());
        app.logMessage(app.uiText(QStringLiteral("Fbk_ReadError")), true);
        return false;
    } catch (const std::bad_alloc&) {
        discard();
        app.logMessage(app.uiText(QStringLiteral("Fbk_OutOfMemory")), true);
        return false;
    }
}

} // namespace

bool loadPluginFile(TAppContext& app, const QByteArray& bytes, tPluginTree& tree, bool addHeader, bool keepAll,
                    int expected) {
    tree.clear();
    tree.fileData = bytes;
    return readPluginReported(
        app, tree.fileData, addHeader ? &tree : nullptr, expected,
        [&](TBinaryCursor& stream, const rPluginReadContext& ctx) { readPluginTree(stream, tree, keepAll, ctx); },
        [&tree] { tree.clear(); });
}

bool loadCompareRecords(TAppContext& app, const QByteArray& bytes, tPluginTree& tree) {
    tree.compareRecordList.clear();
    return readPluginReported(
        app, bytes, nullptr, 0,
        [&](TBinaryCursor& stream, const rPluginReadContext& ctx) { readPluginRecords(stream, bytes, tree, ctx); },
        [&tree] { tree.compareRecordList.clear(); });
}

int getPluginLocalization(TAppContext& app, const QString& path) {
    QByteArray bytes;
    if (!readPluginBytes(app, path, bytes)) return -1;
    TBinaryCursor stream(bytes);
    return readPluginHeader(stream, nullptr, rPluginReadContext{});
}

bool TPluginDocument::open(TWorkspace& ws, const QString& path, bool rememberFolder) {
    TAppContext& app = ws.app;
    loadRecordDefinitions(app.state);
    const QString fullPath = QFileInfo(path).absoluteFilePath();
    // The file is read once; the probe and the reader share the bytes.
    QByteArray bytes;
    if (!readPluginBytes(app, fullPath, bytes)) return false;
    TBinaryCursor probe(bytes);
    const int localized = readPluginHeader(probe, nullptr, rPluginReadContext{});
    if (localized < 0) {
        app.logMessage(app.uiText(QStringLiteral("Fbk_TES4Error")), true);
        return false;
    }
    return localized == 0 ? loadPlainPlugin(ws, fullPath, bytes, rememberFolder)
                          : loadLocalizedPlugin(ws, fullPath, bytes, rememberFolder);
}

bool writePlugin(TWorkspace& ws, const QString& folder, const QString& fileName, bool saveAs) {
    TAppContext& app = ws.app;
    TAppState& st = app.state;
    TPluginDocument* doc = ws.plugin();
    if (!doc) return false;
    const QString target = QDir(folder).filePath(fileName);
    const QString note =
        (saveAs || !st.EspBackupOptSimple) ? QString() : app.uiText(QStringLiteral("Fbk_FinalizeBackup"));
    if (QFileInfo::exists(target) &&
        app.messageDialog(app.uiTextFormat(QStringLiteral("Fbk_FinalizeConfirm"), {fileName, note}), dbYesNo) != drYes)
        return false;
    TOperation operation(app, app.uiText(QStringLiteral("Fbk_Saveesp")));
    const rCodepage source = chooseCodepage(QLatin1Char('_') + doc->sourceTextLanguage(st), st.codepageList,
                                            doc->textLanguage.isEmpty() ? st.ForceUtf8Load : st.ForceUtf8Export);
    const rCodepage dest = chooseCodepage(QLatin1Char('_') + st.DestLang, st.codepageList, st.ForceUtf8Export);
    encodeTranslations(ws.loadedLists, dest, source.c == dest.c);
    const qsizetype nodes = doc->tree.nodeCount();
    app.progressMax(nodes);
    QString error;
    // The backup is made once the new file is complete, just before it replaces the old one.
    QString keptAt;
    quillfs::tKeepOriginal keep;
    if (!saveAs)
        keep = [backup = writtenFileBackup(app), &keptAt](const QString& path) {
            quillfs::rKeptOriginal kept = backup(path);
            keptAt = kept.path;
            return kept;
        };
    const bool ok = savePluginTree(
        doc->tree, target, &error, [&app](int, qsizetype node) { app.progressStep(node, 100); }, keep);
    const QString fullTarget = QFileInfo(target).absoluteFilePath();
    if (ok) {
        app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_Saved"), {fullTarget}), true, dbSelfClosing);
        // Written over the file it was read from: the file now holds the translation.
        if (QFileInfo(fullTarget) == QFileInfo(doc->path)) noteSavedInPlace(ws, fullTarget, keptAt);
    } else {
        app.logMessage(error, true);
        app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_SavedError"), {fullTarget}), true);
    }
    return ok;
}

rColumnLayout TPluginDocument::layout() const {
    rColumnLayout layout;
    layout.idWidth = 80;
    layout.edidVisible = true;
    layout.edidIsMain = true;
    layout.edidSearchVisible = true;
    return layout;
}

bool TPluginDocument::save(TWorkspace& ws, bool saveAs, const QString& target) {
    // A localized plugin is never written: its string tables are saved instead, beside the tables it was read with.
    if (localized) {
        const QString tables =
            !tablesFolder.isEmpty() ? tablesFolder : quillfs::withTrailingSeparator(folder + QStringLiteral("strings"));
        return saveTableSetDocument(ws, saveAs, target, tables, baseName());
    }
    if (!saveAs) return writePlugin(ws, folder, fileName, false);
    const QString chosen = chooseSaveTarget(ws, target, "Dia_SaveEspAs", folder, fileName, "FilterEsp");
    if (chosen.isEmpty()) return false;
    QDir().mkpath(QFileInfo(chosen).absolutePath());
    return writePlugin(ws, folderOf(chosen), QFileInfo(chosen).fileName(), true);
}
