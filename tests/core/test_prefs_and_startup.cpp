// prefs.ini, the data files, UI text with its fallback, the shared helpers, recent files, presets, the game folder
// lookup and the start-up and close sequence.
#include "core/QUILL_dataList.h"
#include "core/QUILL_helpers.h"
#include "core/QUILL_main.h"
#include "core/QUILL_platform.h"
#include "core/QUILL_prefs.h"
#include "core/QUILL_recent.h"
#include "core/QUILL_startup.h"
#include "scripted_host.h"
#include "temp_program_dir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QString readText(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return decodeTextFile(f.readAll());
}

// Every preference set away from its default.
TAppState fullyChangedState() {
    TAppState s;
    s.isFirstLaunch = false;
    s.UILang = QStringLiteral("French");
    s.StringsFolder = QStringLiteral("/games/Fallout 4/Data/Strings/");
    s.StringsAddonFolder = QStringLiteral("/mods/Strings/");
    s.papyrusPexFolder = QStringLiteral("/games/Fallout 4/Data/Scripts/");
    s.EspFolder = QStringLiteral("/games/Fallout 4/Data/");
    s.XMLFolder = QStringLiteral("/work/xml/");
    s.EspCompareFolder = QStringLiteral("/work/old/");
    s.EspBackup = QStringLiteral("/work/backup/");
    s.SourceLang = QStringLiteral("de");
    s.DestLang = QStringLiteral("ptbr");
    s.SYNFONT = QStringLiteral("DejaVu Sans Mono");
    s.authSound = false;
    s.useAddonHash = true;
    s.EspBackupOptSimple = false;
    s.EspBackupOptFolder = true;
    s.OptAutoSelectField = false;
    s.showNullDefault = false;
    s.sstbackupCount = 17;
    s.quillexpertMode = true;
    s.usesXML = false;
    s.noReplace = true;
    s.VTSimpleLine2 = true;
    s.ForceFileStream2 = true;
    s.AuthAutoTranslate2 = false;
    s.UseStringDialog2 = true;
    s.windowpos = {1024, 700, -5, 33, 250};
    s.editWindowpos = {640, 480, 12, 13, 111};
    s.recentAddon = {QStringLiteral("/mods/B.esp"), QStringLiteral("/mods/a.esm"), QStringLiteral("/mods/Été.pex")};
    s.presetlang = {QStringLiteral("preset_de_fr"), QStringLiteral("preset_en_fr")};
    s.cacheDisabledList = {QStringLiteral("cache_a"), QStringLiteral("sst_b")};
    s.loadOrder = {QStringLiteral("sst_z"), QStringLiteral("cache_a")};
    s.checkSwitches = {{QStringLiteral("repeated-word"), true}, {QStringLiteral("tags"), false}};
    s.checksAskBeforeValidate = false;
    return s;
}

} // namespace

TEST(Prefs, EveryKeyRoundTripsAndRewritesByteForByte) {
    const TAppState written = fullyChangedState();
    const QByteArray bytes = prefsFileBytes(written);
    ASSERT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
    TAppState read;
    applyPrefsText(read, decodeTextFile(bytes));
    EXPECT_EQ(read.isFirstLaunch, written.isFirstLaunch);
    EXPECT_EQ(read.UILang, written.UILang);
    EXPECT_EQ(read.StringsFolder, written.StringsFolder);
    EXPECT_EQ(read.StringsAddonFolder, written.StringsAddonFolder);
    EXPECT_EQ(read.papyrusPexFolder, written.papyrusPexFolder);
    EXPECT_EQ(read.EspFolder, written.EspFolder);
    EXPECT_EQ(read.XMLFolder, written.XMLFolder);
    EXPECT_EQ(read.EspCompareFolder, written.EspCompareFolder);
    EXPECT_EQ(read.EspBackup, written.EspBackup);
    EXPECT_EQ(read.SourceLang, written.SourceLang);
    EXPECT_EQ(read.DestLang, written.DestLang);
    EXPECT_EQ(read.SYNFONT, written.SYNFONT);
    EXPECT_EQ(read.sstbackupCount, 17);
    EXPECT_EQ(read.windowpos.top, -5);
    EXPECT_EQ(read.editWindowpos.Control1, 111);
    EXPECT_EQ(read.recentAddon, written.recentAddon);
    EXPECT_EQ(read.presetlang, written.presetlang);
    EXPECT_EQ(read.cacheDisabledList, written.cacheDisabledList);
    EXPECT_EQ(read.loadOrder, written.loadOrder);
    EXPECT_EQ(read.checkSwitches, written.checkSwitches);
    EXPECT_EQ(read.checksAskBeforeValidate, false);
    // Saving what was read changes nothing, Booleans and numbers included.
    EXPECT_EQ(prefsFileBytes(read), bytes);
}

TEST(Prefs, KeysAreWrittenInTheirOrderWithTheirForms) {
    TAppState s;
    s.recentAddon = {QStringLiteral("r0")};
    s.cacheDisabledList = {QStringLiteral("c0")};
    s.loadOrder = {QStringLiteral("l0")};
    const QStringList lines = splitTextLines(decodeTextFile(prefsFileBytes(s)));
    QStringList keys;
    for (const QString& line : lines)
        keys << line.section(QLatin1Char('='), 0, 0);
    const QStringList expected = {"isFirstLaunch",
                                  "UILang",
                                  "StringsFolder",
                                  "StringsAddonFolder",
                                  "papyrusPexFolder",
                                  "EspFolder",
                                  "XMLFolder",
                                  "EspCompareFolder",
                                  "EspBackup",
                                  "SourceLang",
                                  "DestLang",
                                  "SYNFONT",
                                  "authSound",
                                  "useAddonHash",
                                  "EspBackupOptSimple",
                                  "EspBackupOptFolder",
                                  "OptAutoSelectField",
                                  "showNullDefault",
                                  "sstbackupCount",
                                  "quillexpertMode",
                                  "usesXML",
                                  "noReplace",
                                  "VTSimpleLine2",
                                  "ForceFileStream2",
                                  "AuthAutoTranslate2",
                                  "UseStringDialog2",
                                  "POSW",
                                  "POSH",
                                  "POST",
                                  "POSL",
                                  "PAGE1",
                                  "POSMAX",
                                  "SPOSW",
                                  "SPOSH",
                                  "SPOST",
                                  "SPOSL",
                                  "SPAGE1",
                                  "Recent0",
                                  "cachedisabled000",
                                  "loadOrder000",
                                  "CheckAskValidate",
                                  "SpellCheck",
                                  "SpellDictionary"};
    EXPECT_EQ(keys, expected);
    EXPECT_TRUE(lines.contains(QStringLiteral("isFirstLaunch=-1")));
    EXPECT_TRUE(lines.contains(QStringLiteral("useAddonHash=0")));
    EXPECT_TRUE(lines.contains(QStringLiteral("POSW=800")));
}

TEST(Prefs, IndexedListsStopAtTheirLimitsAndSkipGaps) {
    TAppState s;
    QString text;
    for (int i = 0; i <= 11; ++i)
        if (i != 3) text += QStringLiteral("Recent%1=file%1\r\nPresetLang%1=preset_x_%1\r\n").arg(i);
    text += QStringLiteral("cachedisabledfff=last\ncachedisabled1000=beyond\nloadOrder00a=ten\nloadOrder000=zero\n");
    applyPrefsText(s, text);
    ASSERT_EQ(s.recentAddon.size(), 10); // 0..10 without 3; 11 ignored
    EXPECT_EQ(s.recentAddon[3], QStringLiteral("file4"));
    EXPECT_FALSE(s.recentAddon.contains(QStringLiteral("file11")));
    EXPECT_EQ(s.presetlang.size(), 10);
    EXPECT_EQ(s.cacheDisabledList, QStringList{QStringLiteral("last")});
    EXPECT_EQ(s.loadOrder, (QStringList{QStringLiteral("zero"), QStringLiteral("ten")}));

    // Only the first 11 recent files are written.
    TAppState many;
    for (int i = 0; i < 15; ++i)
        many.recentAddon << QStringLiteral("f%1").arg(i);
    const QString written = decodeTextFile(prefsFileBytes(many));
    EXPECT_TRUE(written.contains(QStringLiteral("Recent10=f10")));
    EXPECT_FALSE(written.contains(QStringLiteral("Recent11")));
}

TEST(Prefs, EmptyOrUnreadableValuesKeepTheCurrentOnes) {
    TAppState s;
    applyPrefsText(s, QStringLiteral("SourceLang=\nDestLang=de\nauthSound=maybe\nuseAddonHash=True\n"
                                     "sstbackupCount=many\nPOSW= 900 \nEspFolder=C:\\Games\\Data\nusesXML=0\n"
                                     "destlang=it\n"));
    EXPECT_EQ(s.SourceLang, QStringLiteral("en"));
    EXPECT_EQ(s.DestLang, QStringLiteral("de")); // the first line of a key decides
    EXPECT_TRUE(s.authSound);
    EXPECT_TRUE(s.useAddonHash);
    EXPECT_EQ(s.sstbackupCount, 3);
    EXPECT_EQ(s.windowpos.width, 900);
    EXPECT_EQ(s.EspFolder, QStringLiteral("C:/Games/Data/"));
    EXPECT_FALSE(s.usesXML);
    bool b = false;
    EXPECT_TRUE(parsePrefsBool(QStringLiteral("-1"), b) && b);
    EXPECT_TRUE(parsePrefsBool(QStringLiteral("FALSE"), b) && !b);
    EXPECT_FALSE(parsePrefsBool(QString(), b));
}

TEST(Prefs, ReadsUtf16AndWritesWholeFiles) {
    TTempProgramDir dir(false);
    TAppState s;
    s.programFolder = dir.path();
    QStringEncoder encoder(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
    dir.write(QStringLiteral("prefs.ini"), encoder.encode(QStringLiteral("DestLang=ja\r\nRecent0=/mods/日本.esp\r\n")));
    ASSERT_TRUE(readPrefs(s));
    EXPECT_EQ(s.DestLang, QStringLiteral("ja"));
    EXPECT_EQ(s.recentAddon.value(0), QStringLiteral("/mods/日本.esp"));
    TAppContext app;
    app.state = s;
    ASSERT_TRUE(writePrefs(app));
    EXPECT_EQ(readText(dir.file(QStringLiteral("prefs.ini"))).count(QStringLiteral("Recent0=/mods/日本.esp")), 1);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("prefs.ini")});
}

TEST(DataList, DropsCommentsBlanksAndOptionallyKeepsKeyValues) {
    TTempProgramDir dir(false);
    TAppContext app;
    const QString path = dir.write(QStringLiteral("list.txt"), "# comment\r\n\r\n   \r\n  # indented comment\r\n"
                                                               "beta\r\nAlpha=1\r\n\talpha\r\nBETA\r\nno-eq");
    EXPECT_EQ(loadDataList(app, path), (QStringList{"beta", "Alpha=1", "\talpha", "BETA", "no-eq"}));
    EXPECT_EQ(loadDataList(app, path, false, true), QStringList{QStringLiteral("Alpha=1")});
    // Sorted ignoring case, equal lines ignoring case kept once.
    EXPECT_EQ(loadDataList(app, path, true), (QStringList{"\talpha", "Alpha=1", "beta", "no-eq"}));
    EXPECT_TRUE(loadDataList(app, dir.file(QStringLiteral("absent.txt"))).isEmpty());
    // A file that cannot be opened for writing counts as absent.
    QFile::setPermissions(path, QFileDevice::ReadOwner);
    if (!QFileInfo(path).isWritable()) {
        EXPECT_TRUE(loadDataList(app, path).isEmpty());
    }
}

TEST(DataList, DecodesByteOrderMarksAndLineEnds) {
    EXPECT_EQ(decodeTextFile(QByteArray("\xEF\xBB\xBFx=\xC3\xA9")), QStringLiteral("x=é"));
    EXPECT_EQ(decodeTextFile(QByteArray("\xFE\xFF\x00\x41", 4)), QStringLiteral("A"));
    EXPECT_EQ(splitTextLines(QStringLiteral("a\r\nb\rc\nd\n")), (QStringList{"a", "b", "c", "d"}));
    EXPECT_EQ(splitTextLines(QStringLiteral("a\n\nb")), (QStringList{"a", "", "b"}));
}

TEST(UiText, FallbackFillsMissingAndEmptyKeysAndLogsThem) {
    TTempProgramDir dir(false);
    dir.write(QStringLiteral("res/english/Res.ini"), "Yes=Yes\nNo=No\nGreeting=Hello<br>world\nOnlyEnglish=E\n");
    dir.write(QStringLiteral("res/French/Res.ini"), "# comment\nYes=Oui\nno=\nyes=Ignored\nLine without equals\n");
    TScriptedHost host;
    TAppContext app(&host);
    app.state.programFolder = dir.path();
    app.state.UILang = QStringLiteral("french");
    const QStringList fallback = loadUiTexts(app);
    EXPECT_EQ(fallback, (QStringList{"No", "Greeting", "OnlyEnglish"}));
    EXPECT_TRUE(host.log.contains(QStringLiteral("UIFallback found for: No")));
    EXPECT_FALSE(host.logContains(QStringLiteral("for: Yes")));
    EXPECT_EQ(app.uiText(QStringLiteral("YES")), QStringLiteral("Oui"));
    EXPECT_EQ(app.uiText(QStringLiteral("No")), QStringLiteral("No"));
    EXPECT_EQ(app.uiText(QStringLiteral("Greeting")), QStringLiteral("Hello\nworld"));
    EXPECT_EQ(app.uiText(QStringLiteral("Nowhere")), QStringLiteral("Nowhere"));
    EXPECT_TRUE(host.messages.isEmpty());
}

TEST(UiText, MissingTablesAndFormatErrors) {
    TTempProgramDir dir(false);
    TScriptedHost host;
    TAppContext app(&host);
    app.state.programFolder = dir.path();
    EXPECT_TRUE(loadUiTexts(app).isEmpty());
    EXPECT_EQ(app.uiText(QStringLiteral("Ask_SavingSST")), QStringLiteral("Ask_SavingSST"));
    app.texts.set(QStringLiteral("Two"), QStringLiteral("%s has %d strings (%.2f%%)"));
    EXPECT_EQ(app.uiTextFormat(QStringLiteral("Two"), {QStringLiteral("A"), 3, 12.5}),
              QStringLiteral("A has 3 strings (12.50%)"));
    EXPECT_EQ(app.uiTextFormat(QStringLiteral("Two"), {QStringLiteral("A")}), QStringLiteral("Args_Error in: Two"));
    EXPECT_EQ(app.uiTextFormat(QStringLiteral("Two"), {QStringLiteral("A"), QStringLiteral("x"), 1.0}),
              QStringLiteral("Args_Error in: Two"));
}

TEST(UiText, BundledTablesCoverEachOtherAndKeepPlaceholders) {
    TTempProgramDir dir;
    for (const char* language : {"french", "english"}) {
        TScriptedHost host;
        TAppContext app(&host);
        app.state.programFolder = dir.path();
        app.state.UILang = QLatin1String(language);
        loadUiTexts(app);
        EXPECT_FALSE(host.logContains(QStringLiteral("UIFallback")))
            << language << ": " << host.log.join(' ').toStdString();
        for (const QString& key : moduleTextKeys())
            EXPECT_FALSE(app.texts.value(key).isEmpty()) << key.toStdString();
        EXPECT_EQ(app.uiTextFormat(QStringLiteral("Ask_SavingSST"), {QStringLiteral("x")}).contains("Args_Error"),
                  false);
        EXPECT_EQ(app.uiTextFormat(QStringLiteral("Menu_preset"), {QStringLiteral("en"), QStringLiteral("fr")}),
                  QStringLiteral("en -> fr"));
        EXPECT_FALSE(
            app.uiTextFormat(QStringLiteral("Fbk_TransResult"), {QStringLiteral(".strings"), 3, qlonglong(4), 75.0})
                .startsWith(QStringLiteral("Args_Error")));
    }
}

TEST(Helpers, NamesAndNumbers) {
    EXPECT_EQ(stripExtension(QStringLiteral("MyMod.esp")), QStringLiteral("MyMod"));
    EXPECT_EQ(stripExtension(QStringLiteral("a.b.strings")), QStringLiteral("a.b"));
    EXPECT_EQ(stripExtension(QStringLiteral("NoDot")), QStringLiteral("NoDot"));
    EXPECT_EQ(stripExtension(QStringLiteral("dir.v2/file")), QStringLiteral("dir.v2/file"));
    EXPECT_EQ(parentFolder(QStringLiteral("/games/Data/Strings/")), QStringLiteral("/games/Data/"));
    EXPECT_EQ(parentFolder(QStringLiteral("/games/Data/Strings")), QStringLiteral("/games/Data/"));
    EXPECT_EQ(trimTrailing(QStringLiteral("path///"), QLatin1Char('/')), QStringLiteral("path"));
    EXPECT_EQ(trimTrailing(QStringLiteral("///"), QLatin1Char('/')), QString());
    EXPECT_EQ(safeFileName(QStringLiteral("  a\"/\\*?<>|:b  ")), QStringLiteral("ab"));

    EXPECT_EQ(splitNameLang(QStringLiteral("my_mod_en")).name, QStringLiteral("my_mod"));
    EXPECT_EQ(splitNameLang(QStringLiteral("my_mod_en")).s1, QStringLiteral("en"));
    EXPECT_EQ(splitNameLang(QStringLiteral("_en")).name, QStringLiteral("unknown"));
    EXPECT_EQ(splitNameLang(QStringLiteral("mod_")).s1, QStringLiteral("unknown"));
    EXPECT_EQ(splitNameLang(QStringLiteral("mod")).name, QStringLiteral("mod"));
    EXPECT_EQ(splitNameLang(QStringLiteral("mod")).s1, QStringLiteral("unknown"));

    const rPresetName p = splitPresetName(QStringLiteral("preset_en_fr"));
    EXPECT_EQ(p.prefix, QStringLiteral("preset"));
    EXPECT_EQ(p.src, QStringLiteral("en"));
    EXPECT_EQ(p.dst, QStringLiteral("fr"));
    EXPECT_EQ(splitPresetName(QStringLiteral("_en_fr")).prefix, QStringLiteral("Unknown"));
    const rPresetName single = splitPresetName(QStringLiteral("en_fr"));
    EXPECT_TRUE(single.src.isEmpty() && single.prefix.isEmpty());
    EXPECT_EQ(single.dst, QStringLiteral("fr"));
    const rPresetName none = splitPresetName(QStringLiteral("enfr"));
    EXPECT_TRUE(none.src.isEmpty() && none.dst.isEmpty() && none.prefix.isEmpty());

    EXPECT_DOUBLE_EQ(ratio(1, 4), 0.25);
    EXPECT_DOUBLE_EQ(ratio(5, 0), 0.0);
    EXPECT_TRUE(isSingleCharAndEmpty(QStringLiteral("a"), QString()));
    EXPECT_FALSE(isSingleCharAndEmpty(QStringLiteral("ab"), QString()));
    EXPECT_FALSE(isSingleCharAndEmpty(QStringLiteral("a"), QStringLiteral("b")));
}

TEST(Helpers, DictionaryNamesFollowTheMode) {
    TAppState s;
    s.currentFileName = QStringLiteral("MyMod.esp");
    EXPECT_EQ(dictionaryFileName(s, dictionaryBaseName(s, {}, false), QStringLiteral("sst")),
              QStringLiteral("MyMod_en_fr.sst"));
    EXPECT_EQ(dictionaryBaseName(s, {}, true), QStringLiteral("mymod"));
    EXPECT_EQ(oldDictionaryName(QStringLiteral("mymod")), QString());
    EXPECT_EQ(oldDictionaryName(QStringLiteral("my.mod_pex")), QStringLiteral("my"));
    EXPECT_EQ(dictionaryBaseName(s, QStringLiteral("_mcm"), false), QStringLiteral("MyMod_mcm"));
    EXPECT_EQ(addonHashSuffix(s), QString());
    s.addonHash = 0xAB12;
    EXPECT_EQ(addonHashSuffix(s), QString());
    s.useAddonHash = true;
    EXPECT_EQ(addonHashSuffix(s), QStringLiteral("_0000ab12"));
}

TEST(Helpers, WindowGeometryFitsTheScreen) {
    const rwindowpos big = fitWindowPos({5000, 700, 10, 10, 650}, QSize(1920, 1080));
    EXPECT_EQ(big.width, 1920);
    EXPECT_EQ(big.height, 700);
    EXPECT_EQ(big.Control1, 600);
    const rwindowpos tall = fitWindowPos({800, 3000, 0, 0, 2950}, QSize(1280, 800));
    EXPECT_EQ(tall.height, 800);
    EXPECT_EQ(tall.Control1, 2900); // the rule compares the saved values; the window fits it again on resize
    EXPECT_EQ(fitBottomPanel(500, 300, 120), 280);
    EXPECT_EQ(fitBottomPanel(900, 300, 120), 300);
    EXPECT_EQ(fitBottomPanel(50, 300, 120), 0);
}

TEST(RecentFiles, SamePathInAnotherCaseLeavesOneEntryOnTop) {
    QStringList recent = {QStringLiteral("/m/A.esp"), QStringLiteral("/m/B.esp"), QStringLiteral("/m/a.ESP")};
    addRecentFile(recent, QStringLiteral("/M/a.esp"));
    EXPECT_EQ(recent, (QStringList{"/M/a.esp", "/m/B.esp"}));
    EXPECT_EQ(removeRecentFile(recent, QStringLiteral("/m/b.esp")), 1);
}

TEST(Presets, AddedSortedWithoutDuplicates) {
    TAppState s;
    s.SourceLang = QStringLiteral("fr");
    EXPECT_TRUE(addPreset(s));
    s.SourceLang = QStringLiteral("en");
    EXPECT_TRUE(addPreset(s));
    EXPECT_FALSE(addPreset(s));
    s.DestLang = QStringLiteral("FR");
    EXPECT_FALSE(addPreset(s)); // equal ignoring case
    EXPECT_EQ(s.presetlang, (QStringList{"preset_en_fr", "preset_fr_fr"}));
    clearPresets(s);
    EXPECT_TRUE(s.presetlang.isEmpty());
}

TEST(GameFolder, FindsDataInSteamRootsAndLibrariesIgnoringCase) {
    QTemporaryDir root;
    const QString steam = root.filePath(QStringLiteral("Steam"));
    const QString library = root.filePath(QStringLiteral("Library Two"));
    QDir().mkpath(steam + QStringLiteral("/SteamApps"));
    QDir().mkpath(library + QStringLiteral("/steamapps/common/fallout 4/data"));
    QFile vdf(steam + QStringLiteral("/SteamApps/libraryfolders.vdf"));
    ASSERT_TRUE(vdf.open(QIODevice::WriteOnly));
    vdf.write(
        QStringLiteral(
            "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"%1\"\n\t}\n\t\"1\"\n\t{\n\t\t\"PATH\"\t\t\"%2\"\n"
            "\t}\n}\n")
            .arg(steam, QString(library).replace(QStringLiteral("/"), QStringLiteral("/")))
            .toUtf8());
    vdf.close();
    const QString found = findGameDataFolderIn({root.filePath(QStringLiteral("absent")), steam});
    EXPECT_EQ(found, library + QStringLiteral("/steamapps/common/fallout 4/data/"));
    EXPECT_EQ(steamLibraryPaths(QStringLiteral("\"path\" \"D:\\\\Games\\\\Steam\"")), QStringList{"D:\\Games\\Steam"});
    EXPECT_TRUE(findGameDataFolderIn({root.filePath(QStringLiteral("absent"))}).isEmpty());
}

TEST(Startup, RunsItsStepsInOrderAndCloseSavesThePreferences) {
    TTempProgramDir dir(false);
    QTemporaryDir game;
    QDir().mkpath(game.filePath(QStringLiteral("Strings")));
    dir.write(QStringLiteral("res/english/Res.ini"), "FbK_Total=Done in\nDocsMissing= is missing\n");
    dir.write(QStringLiteral("res/common/header.tpl"), "<html><head></head>\n");
    dir.write(QStringLiteral("res/common/sstreadme.htm"), "<body>Welcome</body>\n");
    dir.write(QStringLiteral("codepage.txt"), "# languages\r\n_EN=1252\r\n_Fr=utf8\r\n");
    dir.write(QStringLiteral("pexNoTransProc.txt"), "SetName\r\nAddItem\r\nsetname\r\n");
    dir.write(QStringLiteral("vocabulary.txt"), "Fallout4\r\n");
    dir.write(QStringLiteral("fieldSizeRef.txt"), "WEAP FULL 30\r\nWEAP FULL 30\r\n");
    dir.write(QStringLiteral("_recorddefs.txt"), "# defs\r\nWEAP FULL\r\n");
    dir.write(QStringLiteral("prefs.ini"), "DestLang=de\r\nStringsAddonFolder=/mods/strings/\r\n");
    TScriptedHost host;
    TAppContext app(&host);
    startApplication(app, dir.path(), game.path());
    const TAppState& st = app.state;
    EXPECT_EQ(st.programFolder, dir.path());
    EXPECT_TRUE(QFileInfo(dir.file(QStringLiteral("Cache"))).isDir());
    EXPECT_TRUE(QFileInfo(dir.file(QStringLiteral("UserDictionary/Backup"))).isDir());
    EXPECT_EQ(st.EspFolder, QDir(game.path()).absolutePath() + QLatin1Char('/'));
    EXPECT_EQ(st.StringsFolder, st.EspFolder + QStringLiteral("Strings/"));
    EXPECT_EQ(st.StringsAddonFolder, QStringLiteral("/mods/strings/")); // the preference wins over the default
    EXPECT_EQ(st.papyrusPexFolder, st.EspFolder + QStringLiteral("scripts/"));
    EXPECT_EQ(st.EspBackup, st.EspFolder);
    EXPECT_EQ(st.XMLFolder, st.programFolder);
    EXPECT_EQ(st.DestLang, QStringLiteral("de"));
    EXPECT_EQ(st.codepageList, (QStringList{"_en=1252", "_fr=utf8"}));
    EXPECT_EQ(st.pexNoTransProc, (QStringList{"AddItem", "SetName"}));
    EXPECT_EQ(st.vocabularyList, QStringList{QStringLiteral("Fallout4")});
    EXPECT_EQ(st.fieldSizeRefList, QStringList{QStringLiteral("WEAP FULL 30")});
    EXPECT_EQ(st.recordDefinitionLines, (QStringList{"# defs", "WEAP FULL"}));
    EXPECT_EQ(st.headerTemplate, QStringLiteral("<html><head></head>\n"));
    EXPECT_EQ(buildHtmlPage(app, QStringLiteral("../common/sstreadme.htm")),
              QStringLiteral("<html><head></head>\n<body>Welcome</body>\n"));
    EXPECT_EQ(buildHtmlPage(app, QStringLiteral("../common/absent.htm")),
              QStringLiteral("../common/absent.htm is missing"));

    bool closed = false;
    app.closeActions.push_back([&closed](TAppContext&) { closed = true; });
    app.state.SourceLang = QStringLiteral("it");
    closeApplication(app);
    EXPECT_TRUE(closed);
    EXPECT_TRUE(readText(dir.file(QStringLiteral("prefs.ini"))).contains(QStringLiteral("SourceLang=it\r\n")));
}

TEST(Startup, NoGameFolderAndNoPrefsGiveTheDefaults) {
    TTempProgramDir dir(false);
    TAppContext app;
    startApplication(app, dir.path(), QString());
    EXPECT_TRUE(app.state.EspFolder.isEmpty());
    EXPECT_TRUE(app.state.StringsFolder.isEmpty());
    EXPECT_TRUE(app.state.isFirstLaunch);
    EXPECT_EQ(app.state.SourceLang, QStringLiteral("en"));
    EXPECT_EQ(app.state.windowpos.width, 800);
    EXPECT_EQ(app.state.windowpos.Control1, 300);
    EXPECT_EQ(app.state.SYNFONT, QStringLiteral("Courier New"));
}

TEST(OperationBracket, ReportsTimeFillsTheBarAndClearsTheStatus) {
    TScriptedHost host;
    TAppContext app(&host);
    app.texts.set(QStringLiteral("FbK_Total"), QStringLiteral("Done in"));
    app.state.currentFileName = QStringLiteral("MyMod");
    host.cancel = true;
    app.beginOperation(QStringLiteral("Working"));
    EXPECT_FALSE(app.isIdle());
    EXPECT_TRUE(host.busy);
    EXPECT_EQ(host.progressMaximum, 100);
    app.progressMax(7);
    app.progressStep(6, 3);
    EXPECT_EQ(host.progressPosition, 6);
    app.progressStep(7, 3);
    EXPECT_EQ(host.progressPosition, 6);
    app.endOperation();
    EXPECT_TRUE(app.isIdle());
    EXPECT_FALSE(host.busy);
    EXPECT_EQ(host.progressPosition, 7);
    ASSERT_GE(host.log.size(), 3);
    EXPECT_EQ(host.log[0], QStringLiteral("Working"));
    EXPECT_TRUE(host.log[1].startsWith(QStringLiteral("Done in ")));
    EXPECT_TRUE(host.log[1].endsWith(QStringLiteral("s")));
    EXPECT_EQ(host.log[2], QStringLiteral("-----------------------------------------"));
    EXPECT_EQ(app.statusLanguageText(), QStringLiteral("[en]->[fr] MyMod"));
}
