// Workspace commands for compiled scripts and menu translation files: open, build the entries, save.
#include "workspace/QUILL_wsScript.h"

#include "core/QUILL_error.h"
#include "core/QUILL_files.h"
#include "core/QUILL_helpers.h"
#include "core/QUILL_recent.h"
#include "script/QUILL_menuFile.h"
#include "script/QUILL_pexReader.h"
#include "script/QUILL_pexRules.h"
#include "script/QUILL_pexWriter.h"
#include "script/QUILL_scriptStrings.h"
#include "strings/QUILL_archive.h"
#include "strings/QUILL_backup.h"
#include "workspace/QUILL_workspace.h"

#include <QDir>
#include <QFileInfo>

namespace {

QString folderOf(const QString& path) {
    return quillfs::withTrailingSeparator(QFileInfo(path).absolutePath());
}

QString joinPath(const QString& folder, const QString& name) {
    return QDir(folder).filePath(name);
}

// The menu file inside an archive: folder "interface\\translations", the given name without extension.
// Throws TQuillError when the archive cannot be read or cannot give the file it lists.
bool readArchiveMenu(const QString& archive, const QString& name, QByteArray& bytes) {
    TModArchives archives(archive);
    const bool found = archives.read(QStringLiteral("interface\\translations"), name + QStringLiteral(".txt"), bytes);
    if (!found && !archives.errors().isEmpty()) throw TQuillError(archives.errors().constFirst());
    return found;
}

// Scripts and menu files fill one list, with long ids (a call's name, a menu key).
rColumnLayout singleListLayout() {
    rColumnLayout layout;
    layout.idWidth = 200;
    layout.extraListsVisible = false;
    return layout;
}

} // namespace

bool TScriptDocument::open(TWorkspace& ws, const QString& path, bool rememberFolder) {
    TAppContext& app = ws.app;
    TAppState& st = app.state;
    if (!st.quillexpertMode && app.messageDialog(app.uiText(QStringLiteral("Ask_pexDisclaimer")), dbYesNo) != drYes)
        return false;
    const QString fullPath = QFileInfo(path).absoluteFilePath();
    auto document = std::make_unique<TScriptDocument>();
    document->path = fullPath;
    document->folder = folderOf(fullPath);
    document->fileName = QFileInfo(fullPath).fileName();
    auto& doc = static_cast<TScriptDocument&>(ws.installDocument(std::move(document)));
    st.currentFilePath = fullPath;
    st.currentFileName = doc.fileName;
    st.openTablesFolder = doc.folder;
    st.openTablesLang = st.SourceLang;
    if (rememberFolder) st.papyrusPexFolder = doc.folder;

    TOperation operation(app, app.uiTextFormat(QStringLiteral("Fbk_LoadPex"), {fullPath}), true, true);
    if (!loadPexFile(doc.pex, fullPath, &app)) {
        operation.end();
        app.logMessage(app.uiText(QStringLiteral("Fbk_FailPex")), true);
        return false;
    }
    applyPexStringRules(doc.pex, st.pexNoTransProc);
    addRecentFile(st.recentAddon, fullPath);
    buildScriptStrings(doc.pex, st.pexLockTranslateTag, ws.loadedLists[0]);
    ws.applyDocumentDictionary();
    operation.end();
    ws.afterDocumentLoad();
    return true;
}

bool TMenuDocument::open(TWorkspace& ws, const QString& path, bool) {
    TAppContext& app = ws.app;
    TAppState& st = app.state;
    const QString fullPath = QFileInfo(path).absoluteFilePath();
    const QFileInfo info(fullPath);
    const bool archive = info.suffix().compare(QLatin1String("bsa"), Qt::CaseInsensitive) == 0 ||
                         info.suffix().compare(QLatin1String("ba2"), Qt::CaseInsensitive) == 0;
    auto document = std::make_unique<TMenuDocument>();
    document->path = fullPath;
    document->fromArchive = archive;
    QString language = st.SourceLang;
    if (archive) {
        document->modName = modNameOfArchive(info.fileName());
        document->folder = quillfs::withTrailingSeparator(
            QDir(info.absolutePath()).filePath(QStringLiteral("interface/translations")));
    } else {
        const rStringLang split = splitNameLang(stripExtension(info.fileName()));
        document->modName = split.name;
        document->folder = folderOf(fullPath);
        language = split.s1;
    }
    auto& doc = static_cast<TMenuDocument&>(ws.installDocument(std::move(document)));
    st.currentFilePath = fullPath;
    st.currentFileName = doc.modName;
    if (!archive) st.openTablesLang = language;
    st.openTablesFolder = doc.folder;

    TOperation operation(app, app.uiTextFormat(QStringLiteral("FbK_LoadingAddonMCM"), {fullPath}), true, true);
    try {
        QByteArray bytes;
        if (archive) {
            const QString wanted = doc.modName.toLower() + QLatin1Char('_') + st.SourceLang.toLower();
            bool found = false;
            try {
                found = readArchiveMenu(fullPath, wanted, bytes);
            } catch (const TQuillError& error) {
                throw TQuillError(app.uiTextFormat(QStringLiteral("Fbk_ArchiveError"), {error.message()}));
            }
            if (!found) {
                app.logMessage(app.uiTextFormat(QStringLiteral("MCMnotFoundinBSA"),
                                                {doc.modName + QLatin1Char('_') + st.SourceLang}),
                               true);
                return false;
            }
        } else {
            QString error;
            // The file given is read as it is named, whatever case or "_" its name has.
            if (!quillfs::readWholeFile(fullPath, bytes, &error))
                throw TQuillError(app.uiTextFormat(QStringLiteral("fbk_menuReadError"), {fullPath, error}));
        }
        for (rMenuEntry& entry : parseMenuText(decodeMenuBytes(bytes))) {
            const uint32_t id = static_cast<uint32_t>(doc.menuKeys.size());
            doc.menuKeys << entry.key;
            auto sk = std::make_unique<tSkyStr>(entry.value, QString(), 0, id, 0);
            sk->initStrings();
            ws.loadedLists[0].push_back(std::move(sk));
        }
        // A text file without one "KEY<tab>TEXT" line is some other file (codepage.txt, a readme), not a menu file.
        if (ws.loadedLists[0].empty())
            throw TQuillError(
                app.uiTextFormat(QStringLiteral("fbk_menuNoEntries"), {QDir::toNativeSeparators(fullPath)}));
    } catch (const TQuillError& error) {
        app.logMessage(error.message(), true);
        return false;
    }
    addRecentFile(st.recentAddon, fullPath);
    ws.applyDocumentDictionary();
    operation.end();
    ws.afterDocumentLoad();
    return true;
}

QString TWorkspace::menuKeyOf(const tSkyStr& entry) const {
    const TMenuDocument* doc = menu();
    if (!doc || entry.listIndex != 0 || entry.id >= static_cast<uint32_t>(doc->menuKeys.size())) return {};
    return doc->menuKeys[entry.id];
}

bool saveScript(TWorkspace& ws, const QString& folder, const QString& fileName, bool saveAs) {
    TAppContext& app = ws.app;
    TScriptDocument* doc = ws.script();
    if (!doc) return false;
    const QString target = joinPath(folder, fileName);
    const QString note =
        (saveAs || !app.state.EspBackupOptSimple) ? QString() : app.uiText(QStringLiteral("Fbk_FinalizeBackup"));
    if (QFileInfo::exists(target) &&
        app.messageDialog(app.uiTextFormat(QStringLiteral("Fbk_FinalizeConfirm"), {fileName, note}), dbYesNo) != drYes)
        return false;
    TOperation operation(app, app.uiText(QStringLiteral("Fbk_SavePex")));
    QDir().mkpath(folder);
    // The backup is made once the new file is complete, just before it replaces the old one.
    const bool ok = writePexFile(doc->pex, scriptTextsToWrite(doc->pex, ws.loadedLists[0]), target, &app,
                                 saveAs ? quillfs::tKeepOriginal() : writtenFileBackup(app));
    if (ok)
        app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_Saved"), {target}), true, dbSelfClosing);
    else
        app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_SavedError"), {target}), true, dbOk);
    return ok;
}

bool saveMenuFile(TWorkspace& ws, const QString& folder, const QString& modName) {
    TAppContext& app = ws.app;
    const TMenuDocument* doc = ws.menu();
    if (!doc) return false;
    const QString destLang = app.state.DestLang;
    const QString target = joinPath(folder, modName + QLatin1Char('_') + destLang.toUpper() + QStringLiteral(".txt"));
    const QString shown = joinPath(folder, modName + QLatin1Char('_') + destLang);
    if (QFileInfo::exists(target) &&
        app.messageDialog(
            app.uiTextFormat(QStringLiteral("Fbk_FinalizeConfirm"), {modName + QLatin1Char('_') + destLang, QString()}),
            dbYesNo) != drYes)
        return false;
    QDir().mkpath(folder);
    TOperation operation(app, app.uiText(QStringLiteral("Fbk_SaveMCM")));
    std::vector<rMenuEntry> lines;
    int escaped = 0;
    for (const auto& entry : ws.loadedLists[0]) {
        const QString key = entry->id < uint32_t(doc->menuKeys.size()) ? doc->menuKeys[entry->id] : QString();
        if (key.isEmpty()) continue;
        if (entry->gTrans.contains(QLatin1Char('\n')) || entry->gTrans.contains(QLatin1Char('\r'))) ++escaped;
        lines.push_back({key, entry->gTrans});
    }
    QString error;
    const bool ok = quillfs::writeFileAtomic(target, encodeMenuFile(lines), &error);
    if (ok) {
        if (escaped > 0) app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_MCMLineBreaks"), {QStringLiteral("\\n")}));
        app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_Saved"), {shown}), true, dbSelfClosing);
    } else {
        app.logMessage(app.uiTextFormat(QStringLiteral("fbk_menuWriteError"), {target, error}), true);
        app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_SavedError"), {shown}), true, dbOk);
    }
    return ok;
}

rColumnLayout TScriptDocument::layout() const {
    return singleListLayout();
}

bool TScriptDocument::save(TWorkspace& ws, bool saveAs, const QString& target) {
    if (!saveAs) return saveScript(ws, folder, fileName, false);
    const QString chosen = chooseSaveTarget(ws, target, "Dia_SavePexAs", folder, fileName, "Filterpex");
    if (chosen.isEmpty()) return false;
    const QFileInfo info(chosen);
    return saveScript(ws, info.absolutePath(), info.fileName(), true);
}

rColumnLayout TMenuDocument::layout() const {
    return singleListLayout();
}

bool TMenuDocument::save(TWorkspace& ws, bool saveAs, const QString& target) {
    if (!saveAs) return saveMenuFile(ws, folder, modName);
    const QString chosen = chooseSaveTarget(ws, target, "Dia_SaveMCMAs", folder, modName, "Filtertxt");
    if (chosen.isEmpty()) return false;
    // The chosen name is taken as the mod name; the language code is added to it.
    const QFileInfo info(chosen);
    return saveMenuFile(ws, info.absolutePath(), stripExtension(info.fileName()));
}
