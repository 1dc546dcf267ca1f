// Start-up and close of the headless core.
#include "core/QUILL_startup.h"

#include "core/QUILL_dataList.h"
#include "core/QUILL_files.h"
#include "core/QUILL_folders.h"
#include "core/QUILL_main.h"
#include "core/QUILL_platform.h"
#include "core/QUILL_prefs.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QRandomGenerator>

namespace {

// A key=value line split at its first '='; the key trimmed (lines of a UI table may be indented).
bool splitKeyValue(const QString& line, QString& key, QString& value) {
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq < 0) return false;
    key = line.left(eq).trimmed();
    value = line.mid(eq + 1);
    return !key.isEmpty();
}

QString resFile(const TAppContext& app, const QString& folderName) {
    return findDataFile(app.state, QStringLiteral("res/") + folderName + QStringLiteral("/Res.ini"));
}

} // namespace

const QStringList& moduleTextKeys() {
    static const QStringList keys = {
        QStringLiteral("Fdb_DiffStr1"),
        QStringLiteral("Fdb_DiffStr2"),
        QStringLiteral("GenNO"),
        QStringLiteral("GenYES"),
        QStringLiteral("notFOUND"),
        QStringLiteral("FOUND"),
        QStringLiteral("inBSA"),
        QStringLiteral("fbk_FileGen"),
        QStringLiteral("fbk_NoFileGen"),
        QStringLiteral("fbk_Details"),
        QStringLiteral("fbk_Cacheinfo"),
        QStringLiteral("bNullTag"),
        QStringLiteral("Discard"),
        QStringLiteral("FbK_StringEspOrphean2"),
        QStringLiteral("Log_Count"),
        QStringLiteral("Log_Size"),
        QStringLiteral("Log_codepage"),
        QStringLiteral("FbK_Total"),
        QStringLiteral("FilterEsp"),
        QStringLiteral("Filtertxt"),
        QStringLiteral("Filterpex"),
        QStringLiteral("DocsMissing"),
        QStringLiteral("FilterStr"),
        QStringLiteral("Update_Similar_Strings"),
        QStringLiteral("Fbk_ReadError"),
        QStringLiteral("Fbk_TESLocalized2"),
        QStringLiteral("Menu_ExportStr"),
        QStringLiteral("Menu_ExportEsp"),
        QStringLiteral("Menu_ExportMCM"),
        QStringLiteral("Menu_ExportPex"),
        QStringLiteral("Menu_ExportStrAs"),
        QStringLiteral("Menu_ExportEspAs"),
        QStringLiteral("Menu_ExportMCMAs"),
        QStringLiteral("Menu_ExportPexAs"),
    };
    return keys;
}

QStringList loadUiTexts(TAppContext& app) {
    TAppState& st = app.state;
    app.texts.clear();
    const QString chosenPath = resFile(app, st.UILang);
    if (!chosenPath.isEmpty()) st.resFolder = QFileInfo(chosenPath).absolutePath() + QLatin1Char('/');
    const QStringList chosen = loadDataList(app, chosenPath, false, true);
    for (const QString& line : chosen)
        app.texts.addLine(line);

    QStringList collected;
    const QStringList fallback = loadDataList(app, resFile(app, QStringLiteral("english")), false, true);
    QHash<QString, bool> seen; // the first fallback line of a key decides, as in the chosen table
    for (const QString& line : fallback) {
        QString key, value;
        if (!splitKeyValue(line, key, value)) continue;
        const QString lower = key.toLower();
        if (seen.contains(lower)) continue;
        seen.insert(lower, true);
        if (!app.texts.value(key).isEmpty()) continue;
        app.texts.set(key, value);
        collected.append(key);
    }
    for (const QString& key : collected)
        app.logMessage(QStringLiteral("UIFallback found for: ") + key);
    return collected;
}

void applyFolderDefaults(TAppContext& app, const QString& gameDataFolder) {
    TAppState& st = app.state;
    const bool found = !gameDataFolder.isEmpty() && QFileInfo(gameDataFolder).isDir();
    st.EspFolder = found ? quillfs::withTrailingSeparator(gameDataFolder) : QString();
    if (found) {
        const QString strings = quillfs::findFileNoCase(st.EspFolder, QStringLiteral("strings"));
        const QString scripts = quillfs::findFileNoCase(st.EspFolder, QStringLiteral("scripts"));
        st.StringsFolder =
            strings.isEmpty() ? st.EspFolder + QStringLiteral("strings/") : quillfs::withTrailingSeparator(strings);
        st.StringsAddonFolder = st.StringsFolder;
        st.papyrusPexFolder =
            scripts.isEmpty() ? st.EspFolder + QStringLiteral("scripts/") : quillfs::withTrailingSeparator(scripts);
    }
    st.XMLFolder = defaultExportFolder(st);
    st.EspCompareFolder = st.EspFolder;
    st.EspBackup = st.EspFolder;
}

void startApplication(TAppContext& app, const QString& programFolder, const std::optional<QString>& gameDataFolder) {
    startApplication(app, decideAppFolders(programFolder), gameDataFolder);
}

void startApplication(TAppContext& app, const rAppFolders& folders, const std::optional<QString>& gameDataFolder) {
    TAppState& st = app.state;
    // 1. Folders of the program itself.
    (void)QRandomGenerator::global()->generate();
    applyAppFolders(st, folders);

    // 5. Record definitions: the file's lines when it is usable, else the built-in default text stays.
    const QString recordDefs = findDataFile(st, QStringLiteral("_recorddefs.txt"));
    QByteArray bytes;
    if (dataFileIsUsable(st, recordDefs) && quillfs::readWholeFile(recordDefs, bytes))
        st.recordDefinitionLines = splitTextLines(decodeTextFile(bytes));

    // 7. Game folder and the folder defaults; a non-empty preference read later wins.
    applyFolderDefaults(app, gameDataFolder ? *gameDataFolder : findGameDataFolder());

    // 8. Folders the program writes into.
    QDir().mkpath(st.cacheFolder);
    QDir().mkpath(st.dictionaryBackupFolder);

    // 9. Data files.
    auto dataFile = [&st](const char* name) { return dataFilePath(st, QLatin1String(name)); };
    st.vocabularyList = loadDataList(app, dataFile("vocabulary.txt"));
    st.pexNoTransProc = loadDataList(app, dataFile("pexNoTransProc.txt"), true);
    st.codepageList = loadDataList(app, dataFile("codepage.txt"));
    for (QString& line : st.codepageList)
        line = line.toLower();
    st.fieldSizeRefList = loadDataList(app, dataFile("fieldSizeRef.txt"));
    st.fieldSizeRefList.removeDuplicates();

    // 10. Lists and geometry defaults.
    st.recentAddon.clear();
    st.cacheDisabledList.clear();
    st.presetlang.clear();
    st.loadOrder.clear();
    st.SYNFONT = QStringLiteral("Courier New");
    st.windowpos = rwindowpos();
    st.editWindowpos = rwindowpos();

    // 11. Preferences.
    readPrefs(st);

    // 13. UI text, then the folders in use, once (unless the caller named them).
    st.resFolder = shippedFolder(st) + QStringLiteral("res/") + st.UILang + QLatin1Char('/');
    loadUiTexts(app);
    if (!folders.named) app.logMessage(foldersLogLine(app));

    // 14. header.tpl.
    st.headerTemplate.clear();
    // The language folder may carry its own; the shared one sits in res/common.
    QString header = quillfs::findFileNoCase(st.resFolder, QStringLiteral("header.tpl"));
    if (header.isEmpty()) header = findDataFile(st, QStringLiteral("res/common/header.tpl"));
    if (dataFileIsUsable(st, header) && quillfs::readWholeFile(header, bytes))
        st.headerTemplate = decodeTextFile(bytes);
    app.refreshStatusLanguage();
}

void closeApplication(TAppContext& app) {
    writePrefs(app);
    for (const auto& action : app.closeActions)
        action(app);
}

QString buildHtmlPage(const TAppContext& app, const QString& file) {
    const QString path = quillfs::findFileNoCase(app.state.resFolder, file);
    QByteArray bytes;
    if (path.isEmpty() || !quillfs::readWholeFile(path, bytes)) return file + app.uiText(QStringLiteral("DocsMissing"));
    QString page = decodeTextFile(bytes);
    if (!app.state.headerTemplate.isEmpty()) {
        QString header = app.state.headerTemplate;
        if (!header.endsWith(QLatin1Char('\n'))) header += QLatin1Char('\n');
        page.prepend(header);
    }
    return page;
}
