// Spelling dictionaries: the folders, the language table, the lookup and the translator's word file path.
#include "aids/QUILL_spellDictionaries.h"

#include "core/QUILL_dataList.h"
#include "core/QUILL_files.h"
#include "core/QUILL_folders.h"
#include "core/QUILL_main.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <algorithm>

namespace quillspell {

namespace {

// The languages of the game and the dictionary each uses ("" for none). spelling.txt adds others and may change these.
struct rLanguageDictionary {
    const char* language;
    const char* dictionary;
};
constexpr rLanguageDictionary kBuiltInDictionaries[] = {
    {"fr", "fr_FR"},   {"de", "de_DE"}, {"it", "it_IT"}, {"es", "es_ES"}, {"esmx", "es_MX"}, {"pl", "pl_PL"},
    {"ptbr", "pt_BR"}, {"ru", "ru_RU"}, {"en", "en_US"}, {"ja", ""},      {"cn", ""},
};

const QLatin1String kTableFile("spelling.txt");
const QLatin1String kProgramDictionaries("dictionaries");

// The .aff and .dic of `base` in `folder`, ignoring case.
std::optional<rSpellingDictionary> filesIn(const QString& folder, const QString& base, const QString& name) {
    const QString aff = quillfs::findFileNoCase(folder, base + QStringLiteral(".aff"));
    if (aff.isEmpty()) return std::nullopt;
    const QString dic = quillfs::findFileNoCase(folder, base + QStringLiteral(".dic"));
    if (dic.isEmpty() || !QFileInfo(dic).isFile() || !QFileInfo(aff).isFile()) return std::nullopt;
    return rSpellingDictionary{name, aff, dic};
}

} // namespace

QString programDictionaryFolder(const TAppState& state) {
    // Where the translator puts dictionaries: beside the program when it is portable, else in their own folder.
    return quillfs::withTrailingSeparator(userFilePath(state, kProgramDictionaries));
}

QStringList dictionaryFolders(const TAppState& state) {
    QStringList folders{programDictionaryFolder(state)};
    // An installed program may ship dictionaries of its own.
    if (const QString shipped = quillfs::findFileNoCase(shippedFolder(state), kProgramDictionaries);
        !shipped.isEmpty() && !folders.contains(quillfs::withTrailingSeparator(shipped)))
        folders << quillfs::withTrailingSeparator(shipped);
    for (const char* system : {"/usr/share/hunspell/", "/usr/share/myspell/", "/usr/share/myspell/dicts/"})
        if (QFileInfo(QLatin1String(system)).isDir()) folders << QString::fromLatin1(system);
    return folders;
}

QString dictionaryNameFor(TAppContext& app, const QString& language) {
    const QString code = language.trimmed().toLower();
    const QString table = findDataFile(app.state, kTableFile);
    if (!table.isEmpty()) {
        for (const QString& line : loadDataList(app, table, false, true)) {
            const qsizetype eq = line.indexOf(QLatin1Char('='));
            if (line.left(eq).trimmed().toLower() != code) continue;
            const QString name = line.mid(eq + 1).trimmed();
            return name.compare(QLatin1String("none"), Qt::CaseInsensitive) == 0 ? QString() : name;
        }
    }
    for (const auto& entry : kBuiltInDictionaries)
        if (code == QLatin1String(entry.language)) return QString::fromLatin1(entry.dictionary);
    return {};
}

std::optional<rSpellingDictionary> findDictionary(const TAppState& state, const QString& name) {
    if (name.isEmpty()) return std::nullopt;
    // "fr_FR" is also found as "fr-FR" (the office suites' spelling) and as the language alone ("fr").
    QStringList bases{name};
    QString hyphen = name;
    hyphen.replace(QLatin1Char('_'), QLatin1Char('-'));
    if (hyphen != name) bases << hyphen;
    const qsizetype underscore = name.indexOf(QLatin1Char('_'));
    if (underscore > 0) bases << name.left(underscore);
    for (const QString& folder : dictionaryFolders(state))
        for (const QString& base : bases)
            if (auto found = filesIn(folder, base, name)) return found;
    return std::nullopt;
}

QList<rSpellingDictionary> availableDictionaries(const TAppState& state) {
    QMap<QString, rSpellingDictionary> byName; // keyed lower-case: a name differing only in case is one dictionary
    for (const QString& folder : dictionaryFolders(state)) {
        const QStringList affs = QDir(folder).entryList(QDir::Files | QDir::Readable, QDir::Name);
        for (const QString& file : affs) {
            if (!file.endsWith(QLatin1String(".aff"), Qt::CaseInsensitive)) continue;
            const QString base = file.chopped(4);
            if (byName.contains(base.toLower())) continue;
            if (auto found = filesIn(folder, base, base)) byName.insert(base.toLower(), *found);
        }
    }
    return byName.values();
}

QString userWordsPath(const TAppState& state, const QString& language) {
    const QString name = QStringLiteral("words_%1.txt").arg(language.toLower());
    const QString found = quillfs::findFileNoCase(state.userDictionaryFolder, name);
    return found.isEmpty() ? state.userDictionaryFolder + name : found;
}

} // namespace quillspell
