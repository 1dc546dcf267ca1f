// Options dialog rules.
#include "workspace/QUILL_options.h"

#include "dictionary/QUILL_cache.h"
#include "strings/QUILL_stringTable.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsChecks.h"
#include "workspace/QUILL_wsDictionary.h"
#include "workspace/QUILL_wsSpelling.h"
#include "workspace/QUILL_wsStrings.h"

#include <QDir>

QStringList listLanguageFolders(const QString& dataFolder) {
    QStringList out;
    const QDir res(dataFolder + QStringLiteral("res"));
    for (const QString& name : res.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
        if (name.toLower() != QLatin1String("common")) out.append(name);
    return out;
}

int languageFolderIndex(const QStringList& folders, const QString& current) {
    if (folders.isEmpty()) return -1;
    for (int i = 0; i < folders.size(); ++i)
        if (folders[i].compare(current, Qt::CaseInsensitive) == 0) return i;
    return 0;
}

QStringList codepageLanguageNames(const QStringList& codepageList) {
    QStringList names;
    for (const QString& line : codepageList)
        names.append(line.section(QLatin1Char('='), 0, 0).trimmed());
    return names;
}

std::vector<rCacheInfoLine> cacheInformation(const TAppContext& app, const QString& stringsFolder,
                                             const QString& sourceLang, const QString& destLang) {
    std::vector<rCacheInfoLine> lines;
    lines.push_back({app.uiText(QStringLiteral("fbk_Cacheinfo")), rCacheInfoLine::none});
    auto status = [&app](tTableSource source) {
        switch (source) {
        case tTableSource::loose:
            return app.uiText(QStringLiteral("FOUND"));
        case tTableSource::archive:
            return app.uiText(QStringLiteral("inBSA"));
        case tTableSource::missing:
            break;
        }
        return app.uiText(QStringLiteral("notFOUND"));
    };
    for (const QString& line : app.state.vocabularyList) {
        const QString name = vocabularySetName(line);
        if (name.isEmpty()) continue;
        const rVocabularySources found =
            findVocabularySources(stringsFolder, name, sourceLang.toLower(), destLang.toLower());
        const bool complete = found.complete();
        const auto colour = complete ? rCacheInfoLine::green : rCacheInfoLine::red;
        lines.push_back(
            {app.uiTextFormat(complete ? QStringLiteral("fbk_FileGen") : QStringLiteral("fbk_NoFileGen"), {name}),
             colour});
        lines.push_back({app.uiText(QStringLiteral("fbk_Details")), rCacheInfoLine::none});
        for (int kind = 0; kind < 3; ++kind)
            lines.push_back({QStringLiteral("  %1: %2 [%3] %4 [%5] : %6")
                                 .arg(name + tableExtension(kind), sourceLang, status(found.source[kind]), destLang,
                                      status(found.destination[kind]),
                                      app.uiText(complete ? QStringLiteral("GenYES") : QStringLiteral("GenNO"))),
                             colour});
        lines.push_back({QString(), rCacheInfoLine::none});
    }
    return lines;
}

quillcheck::TCheckSet rOptionsChoice::defaultChecks() {
    quillcheck::TCheckSet checks;
    for (const quillcheck::TCheck c : quillcheck::checkOrder())
        checks.set(c, quillcheck::checkOnByDefault(c));
    return checks;
}

bool optionsNeedReload(const TAppContext& app, const rOptionsChoice& choice) {
    return choice.rebuildCache || choice.sourceLang.toLower() != app.state.SourceLang.toLower() ||
           choice.destLang.toLower() != app.state.DestLang.toLower();
}

bool applyOptions(TWorkspace& ws, const rOptionsChoice& c) {
    TAppState& st = ws.app.state;
    const bool reload = optionsNeedReload(ws.app, c);
    st.isFirstLaunch = false;
    st.UILang = c.uiLang.isEmpty() ? QStringLiteral("English") : c.uiLang;
    if (!c.stringsFolder.isEmpty()) st.StringsFolder = c.stringsFolder;
    if (!c.espBackup.isEmpty()) st.EspBackup = c.espBackup;
    st.sstbackupCount = qBound(0, c.sstbackupCount, 25);
    st.authSound = c.authSound;
    st.EspBackupOptSimple = c.backupSimple;
    st.EspBackupOptFolder = c.backupSimple && c.backupFolder;
    st.OptAutoSelectField = c.autoSelectField;
    st.useAddonHash = c.useAddonHash;
    st.quillexpertMode = c.expertMode;
    st.VTSimpleLine2 = c.simpleLine;
    st.ForceFileStream2 = c.fileStream;
    st.AuthAutoTranslate2 = c.autoTranslate;
    st.UseStringDialog2 = c.useStringDialog;
    for (const quillcheck::TCheck check : quillcheck::checkOrder())
        setCheckEnabled(st, check, c.checks.has(check));
    st.checksAskBeforeValidate = c.askBeforeValidate;
    setSpellingEnabled(ws, c.spellCheck);
    setSpellingDictionary(ws, c.spellDictionary);
    // A dictionary missing so far is looked for again: the translator may have put one in the folder meanwhile.
    if (const TSpellingState& spelling = spellingState(ws); spelling.checkerTried && !spelling.checker)
        resetSpelling(ws);
    bool taken = false;
    if (reload) {
        bool go = true;
        if (ws.hasLoadedWork())
            go = ws.app.messageDialog(ws.app.uiText(QStringLiteral("Ask_LangUnload")), dbYesNo) == drYes;
        if (go && ws.closeAll()) {
            if (c.rebuildCache) {
                ws.setLanguages(c.sourceLang.toLower(), c.destLang.toLower());
                buildCacheCommand(ws);
                scanVocabulary(ws);
            } else {
                ws.setLanguages(c.sourceLang, c.destLang);
            }
            taken = true;
        }
    }
    ws.app.refreshStatusLanguage();
    return taken;
}
