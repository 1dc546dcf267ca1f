// Workspace commands for compiled scripts and menu translation files: open, build the entries, save.
#include "workspace/QUILL_wsScript.h"

#include "core/QUILL_error.h"
#include "core/QUILL_files.h"
#include "core/QUILL_helpers.h"
#include "core/QUILL_recent.h"
#include "script/QUILL_menuFile.h"
#include "script/QUILL_scriptStrings.h"
#include "strings/QUILL_backup.h"
#include "strings/QUILL_bsa.h"
#include "workspace/QUILL_workspace.h"

#include <QDir>
#include <QFileInfo>
#include <new>

namespace {

QString folderOf(const QString& path) {
    return quillfs::withTrailingSeparator(QFileInfo(path).absolutePath());
}

QString joinPath(const QString& folder, const QString& name) {
    return QDir(folder).filePath(name);
}

// The menu file inside an archive: folder "interface\\translations", the given name without extension.
bool readArchiveMenu(const QString& archive, const QString& name, QByteArray& bytes) {
    std::unique_ptr<TwbBSAFile> handle;
    return findArchiveFile(handle, archive, true, QStringLiteral(".txt"), name,
                           QStringLiteral("interface\\translations"), &bytes);
}

} // namespace

bool TWorkspace::loadScript(const QString& path, bool rememberFolder) {
    TAppState& st = app.state;
    if (!st.quillexpertMode && app.messageDialog(app.uiText(QStringLiteral("Ask_pexDisclaimer")), dbYesNo) != drYes)
        return false;
    const QString fullPath = QFileInfo(path).absoluteFilePath();
    st.currentFilePath = fullPath;
    st.currentFileName = QFileInfo(fullPath).fileName();
    st.openTablesFolder = folderOf(fullPath);
    st.openTablesLang = st.SourceLang;
    if (rememberFolder) st.papyrusPexFolder = st.openTablesFolder;

    clearLoadedLists();
    app.beginOperation(app.uiTextFormat(QStringLiteral("Fbk_LoadPex"), {fullPath}), true, true);
    script = std::make_unique<TScriptDocument>();
    script->folder = st.openTablesFolder;
    script->fileName = st.currentFileName;
    script->pex.resetPex();
    script->pex.noTransProcList = st.pexNoTransProc;
    const bool ok = script->pex.loadPexFile(fullPath, &app);
    if (ok) {
        addRecentFile(st.recentAddon, fullPath);
        st.WorkMode = TWorkMode::ScriptPex;
        buildScriptStrings(script->pex, st.pexLockTranslateTag, loadedLists[0]);
        applyDocumentDictionary();
    }
    app.endOperation();
    if (ok) {
        afterDocumentLoad();
        return true;
    }
    clearLoadedLists();
    st.WorkMode = TWorkMode::None;
    app.logMessage(app.uiText(QStringLiteral("Fbk_FailPex")), true);
    return false;
}

bool TWorkspace::loadMenuFile(const QString& path) {
    if (!confirmDictionarySave()) return false;
    TAppState& st = app.state;
    const QString fullPath = QFileInfo(path).absoluteFilePath();
    app.beginOperation(app.uiTextFormat(QStringLiteral("FbK_LoadingAddonMCM"), {fullPath}), true, true);
    bool ok = false;
    try {
        const QFileInfo info(fullPath);
        const bool archive = info.suffix().compare(QLatin1String("bsa"), Qt::CaseInsensitive) == 0;
        QByteArray bytes;
        auto document = std::make_unique<TMenuDocument>();
        if (archive) {
            document->fromArchive = true;
            document->modName = stripExtension(info.fileName());
            document->folder = quillfs::withTrailingSeparator(
                QDir(info.absolutePath()).filePath(QStringLiteral("interface/translations")));
            st.currentFilePath = fullPath;
            st.currentFileName = document->modName;
            clearLoadedLists();
            const QString wanted = document->modName.toLower() + QLatin1Char('_') + st.SourceLang.toLower();
            if (!readArchiveMenu(fullPath, wanted, bytes)) {
                app.logMessage(app.uiTextFormat(QStringLiteral("MCMnotFoundinBSA"),
                                                {document->modName + QLatin1Char('_') + st.SourceLang}),
                               true);
                throw TQuillError(QString());
            }
        } else {
            const rStringLang split = splitNameLang(stripExtension(info.fileName()));
            document->modName = split.name;
            document->folder = folderOf(fullPath);
            st.currentFilePath = fullPath;
            st.currentFileName = split.name;
            st.openTablesLang = split.s1;
            clearLoadedLists();
            QString error;
            // The file given is read as it is named, whatever case or "_" its name has.
            if (!quillfs::readWholeFile(fullPath, bytes, &error))
                throw TQuillError(app.uiTextFormat(QStringLiteral("fbk_menuReadError"), {fullPath, error}));
        }
        st.openTablesFolder = document->folder;
        for (rMenuEntry& entry : parseMenuText(decodeMenuBytes(bytes))) {
            const uint32_t id = static_cast<uint32_t>(document->menuKeys.size());
            document->menuKeys << entry.key;
            auto sk = std::make_unique<tSkyStr>(entry.value, QString(), 0, id, 0);
            sk->initStrings();
            loadedLists[0].push_back(std::move(sk));
        }
        menu = std::move(document);
        addRecentFile(st.recentAddon, fullPath);
        st.WorkMode = TWorkMode::MCMTranslate;
        applyDocumentDictionary();
        ok = true;
    } catch (const TQuillError& error) {
        if (!error.message().isEmpty()) app.logMessage(error.message(), true);
    } catch (const std::bad_alloc&) {
        app.logMessage(app.uiText(QStringLiteral("Fbk_OutOfMemory")), true);
    }
    app.endOperation();
    if (ok) {
        afterDocumentLoad();
        return true;
    }
    clearLoadedLists();
    st.WorkMode = TWorkMode::None;
    return false;
}

QString TWorkspace::menuKeyOf(const tSkyStr& entry) const {
    if (!menu || app.state.WorkMode != TWorkMode::MCMTranslate || entry.listIndex != 0) return {};
    if (entry.id >= static_cast<uint32_t>(menu->menuKeys.size())) return {};
    return menu->menuKeys[entry.id];
}

bool saveScript(TWorkspace& ws, const QString& folder, const QString& fileName, bool saveAs) {
    TAppContext& app = ws.app;
    if (!ws.script) return false;
    const QString target = joinPath(folder, fileName);
    const QString note =
        (saveAs || !app.state.EspBackupOptSimple) ? QString() : app.uiText(QStringLiteral("Fbk_FinalizeBackup"));
    if (QFileInfo::exists(target) &&
        app.messageDialog(app.uiTextFormat(QStringLiteral("Fbk_FinalizeConfirm"), {fileName, note}), dbYesNo) != drYes)
        return false;
    if (!saveAs && !backupWrittenFile(app, target)) return false;
    app.beginOperation(app.uiText(QStringLiteral("Fbk_SavePex")));
    QDir().mkpath(folder);
    const bool ok = ws.script->pex.writePexFile(scriptTextsToWrite(ws.script->pex, ws.loadedLists[0]), target, &app);
    if (ok)
        app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_Saved"), {target}), true, dbSelfClosing);
    else
        app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_SavedError"), {target}), true, dbOk);
    app.endOperation();
    return ok;
}

bool saveMenuFile(TWorkspace& ws, const QString& folder, const QString& modName) {
    TAppContext& app = ws.app;
    if (!ws.menu) return false;
    const QString destLang = app.state.DestLang;
    const QString target = joinPath(folder, modName + QLatin1Char('_') + destLang.toUpper() + QStringLiteral(".txt"));
    const QString shown = joinPath(folder, modName + QLatin1Char('_') + destLang);
    if (QFileInfo::exists(target) &&
        app.messageDialog(
            app.uiTextFormat(QStringLiteral("Fbk_FinalizeConfirm"), {modName + QLatin1Char('_') + destLang, QString()}),
            dbYesNo) != drYes)
        return false;
    QDir().mkpath(folder);
    app.beginOperation(app.uiText(QStringLiteral("Fbk_SaveMCM")));
    std::vector<rMenuEntry> lines;
    int escaped = 0;
    for (const auto& entry : ws.loadedLists[0]) {
        const QString key = entry->id < uint32_t(ws.menu->menuKeys.size()) ? ws.menu->menuKeys[entry->id] : QString();
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
    app.endOperation();
    return ok;
}

bool TWorkspace::saveScriptDocument(bool saveAs, const QString& target) {
    if (!script) return false;
    if (!saveAs) return saveScript(*this, script->folder, script->fileName, false);
    QString path = target;
    if (path.isEmpty())
        path = app.host().pickSaveFile(app.uiText(QStringLiteral("Dia_SavePexAs")), script->folder, script->fileName,
                                       app.uiText(QStringLiteral("Filterpex")));
    if (path.isEmpty()) return false;
    const QFileInfo info(path);
    return saveScript(*this, info.absolutePath(), info.fileName(), true);
}

bool TWorkspace::saveMenuDocument(bool saveAs, const QString& target) {
    if (!menu) return false;
    if (!saveAs) return saveMenuFile(*this, menu->folder, menu->modName);
    QString path = target;
    if (path.isEmpty())
        path = app.host().pickSaveFile(app.uiText(QStringLiteral("Dia_SaveMCMAs")), menu->folder, menu->modName,
                                       app.uiText(QStringLiteral("Filtertxt")));
    if (path.isEmpty()) return false;
    // The chosen name is taken as the mod name; the language code is added to it.
    const QFileInfo info(path);
    return saveMenuFile(*this, info.absolutePath(), stripExtension(info.fileName()));
}
