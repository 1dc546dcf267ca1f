// prefs.ini reading and writing.
#include "core/QUILL_prefs.h"

#include "core/QUILL_dataList.h"
#include "core/QUILL_files.h"
#include "core/QUILL_folders.h"
#include "core/QUILL_main.h"

#include <QDir>
#include <QHash>

namespace {

const QString prefsFileName = QStringLiteral("prefs.ini");

class TPrefsWriter {
public:
    void text(const char* key, const QString& value) {
        out_ += QLatin1String(key) + QLatin1Char('=') + value + QStringLiteral("\r\n");
    }
    void text(const QString& key, const QString& value) {
        out_ += key + QLatin1Char('=') + value + QStringLiteral("\r\n");
    }
    void folder(const char* key, const QString& value) { text(key, value); }
    void boolean(const char* key, bool value) { text(key, value ? QStringLiteral("-1") : QStringLiteral("0")); }
    void integer(const char* key, int value) { text(key, QString::number(value)); }
    QByteArray bytes() const { return QByteArray("\xEF\xBB\xBF") + out_.toUtf8(); }

private:
    QString out_;
};

// Keys compared ignoring case; the first line of a key decides.
class TPrefsReader {
public:
    explicit TPrefsReader(const QString& text) {
        for (const QString& line : splitTextLines(text)) {
            const qsizetype eq = line.indexOf(QLatin1Char('='));
            if (eq <= 0) continue;
            const QString key = line.left(eq).trimmed().toLower();
            if (!values_.contains(key)) values_.insert(key, line.mid(eq + 1));
        }
    }
    QString value(const QString& key) const { return values_.value(key.toLower()); }
    void text(const char* key, QString& target) const {
        const QString v = value(QLatin1String(key));
        if (!v.isEmpty()) target = v;
    }
    void folder(const char* key, QString& target) const {
        QString v = value(QLatin1String(key));
        if (v.trimmed().isEmpty()) return;
        v.replace(QLatin1Char('\\'), QLatin1Char('/'));
        target = quillfs::withTrailingSeparator(v);
    }
    void boolean(const char* key, bool& target) const {
        bool parsed = false;
        if (parsePrefsBool(value(QLatin1String(key)), parsed)) target = parsed;
    }
    void integer(const char* key, int& target) const {
        bool ok = false;
        const int v = value(QLatin1String(key)).trimmed().toInt(&ok);
        if (ok) target = v;
    }
    // The keys (lower-cased) that begin with `prefix` (lower case), with their values.
    QMap<QString, QString> withPrefix(const QString& prefix) const {
        QMap<QString, QString> out;
        for (auto it = values_.constBegin(); it != values_.constEnd(); ++it)
            if (it.key().startsWith(prefix) && it.key().size() > prefix.size())
                out.insert(it.key().mid(prefix.size()), it.value());
        return out;
    }
    QStringList indexed(const QString& pattern, int count, bool hex) const {
        QStringList out;
        for (int i = 0; i < count; ++i) {
            const QString index = hex ? QStringLiteral("%1").arg(i, 3, 16, QLatin1Char('0')) : QString::number(i);
            const QString v = value(pattern + index);
            if (!v.isEmpty()) out.append(v);
        }
        return out;
    }

private:
    QHash<QString, QString> values_;
};

// The single-valued keys in the order they are written; the reader and the writer walk the same list.
template <typename State, typename Visitor> void visitPrefs(State& s, Visitor& v) {
    v.boolean("isFirstLaunch", s.isFirstLaunch);
    v.text("UILang", s.UILang);
    v.folder("StringsFolder", s.StringsFolder);
    v.folder("StringsAddonFolder", s.StringsAddonFolder);
    v.folder("papyrusPexFolder", s.papyrusPexFolder);
    v.folder("EspFolder", s.EspFolder);
    v.folder("XMLFolder", s.XMLFolder);
    v.folder("EspCompareFolder", s.EspCompareFolder);
    v.folder("EspBackup", s.EspBackup);
    v.text("SourceLang", s.SourceLang);
    v.text("DestLang", s.DestLang);
    v.text("SYNFONT", s.SYNFONT);
    v.boolean("authSound", s.authSound);
    v.boolean("useAddonHash", s.useAddonHash);
    v.boolean("EspBackupOptSimple", s.EspBackupOptSimple);
    v.boolean("EspBackupOptFolder", s.EspBackupOptFolder);
    v.boolean("OptAutoSelectField", s.OptAutoSelectField);
    v.boolean("showNullDefault", s.showNullDefault);
    v.integer("sstbackupCount", s.sstbackupCount);
    v.boolean("quillexpertMode", s.quillexpertMode);
    v.boolean("usesXML", s.usesXML);
    v.boolean("noReplace", s.noReplace);
    v.boolean("VTSimpleLine2", s.VTSimpleLine2);
    v.boolean("ForceFileStream2", s.ForceFileStream2);
    v.boolean("AuthAutoTranslate2", s.AuthAutoTranslate2);
    v.boolean("UseStringDialog2", s.UseStringDialog2);
    v.integer("POSW", s.windowpos.width);
    v.integer("POSH", s.windowpos.height);
    v.integer("POST", s.windowpos.top);
    v.integer("POSL", s.windowpos.left);
    v.integer("PAGE1", s.windowpos.Control1);
    v.boolean("POSMAX", s.windowpos.maximized);
    v.integer("SPOSW", s.editWindowpos.width);
    v.integer("SPOSH", s.editWindowpos.height);
    v.integer("SPOST", s.editWindowpos.top);
    v.integer("SPOSL", s.editWindowpos.left);
    v.integer("SPAGE1", s.editWindowpos.Control1);
}

} // namespace

bool parsePrefsBool(const QString& text, bool& out) {
    const QString t = text.trimmed();
    bool ok = false;
    const qlonglong n = t.toLongLong(&ok);
    if (ok) {
        out = n != 0;
        return true;
    }
    if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) {
        out = true;
        return true;
    }
    if (t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0) {
        out = false;
        return true;
    }
    return false;
}

QByteArray prefsFileBytes(const TAppState& s) {
    TPrefsWriter w;
    visitPrefs(s, w);
    for (int i = 0; i < qMin<qsizetype>(kRecentPrefsCount, s.recentAddon.size()); ++i)
        w.text(QStringLiteral("Recent%1").arg(i), s.recentAddon[i]);
    for (int i = 0; i < qMin<qsizetype>(kPresetPrefsCount, s.presetlang.size()); ++i)
        w.text(QStringLiteral("PresetLang%1").arg(i), s.presetlang[i]);
    for (int i = 0; i < qMin<qsizetype>(kVocabularyPrefsCount, s.cacheDisabledList.size()); ++i)
        w.text(QStringLiteral("cachedisabled%1").arg(i, 3, 16, QLatin1Char('0')), s.cacheDisabledList[i]);
    for (int i = 0; i < qMin<qsizetype>(kVocabularyPrefsCount, s.loadOrder.size()); ++i)
        w.text(QStringLiteral("loadOrder%1").arg(i, 3, 16, QLatin1Char('0')), s.loadOrder[i]);
    w.boolean("CheckAskValidate", s.checksAskBeforeValidate);
    for (auto it = s.checkSwitches.constBegin(); it != s.checkSwitches.constEnd(); ++it)
        w.text(QStringLiteral("Check_") + it.key(), it.value() ? QStringLiteral("-1") : QStringLiteral("0"));
    w.boolean("SpellCheck", s.spellCheck);
    w.text("SpellDictionary", s.spellDictionary);
    return w.bytes();
}

void applyPrefsText(TAppState& s, const QString& text) {
    const TPrefsReader r(text);
    visitPrefs(s, r);
    s.recentAddon.append(r.indexed(QStringLiteral("Recent"), kRecentPrefsCount, false));
    for (const QString& preset : r.indexed(QStringLiteral("PresetLang"), kPresetPrefsCount, false))
        insertSortedNoCase(s.presetlang, preset);
    for (const QString& key : r.indexed(QStringLiteral("cachedisabled"), kVocabularyPrefsCount, true))
        insertSortedNoCase(s.cacheDisabledList, key);
    s.loadOrder.append(r.indexed(QStringLiteral("loadOrder"), kVocabularyPrefsCount, true));
    r.boolean("CheckAskValidate", s.checksAskBeforeValidate);
    const QMap<QString, QString> switches = r.withPrefix(QStringLiteral("check_"));
    for (auto it = switches.constBegin(); it != switches.constEnd(); ++it) {
        bool on = false;
        if (parsePrefsBool(it.value(), on)) s.checkSwitches.insert(it.key(), on);
    }
    r.boolean("SpellCheck", s.spellCheck);
    r.text("SpellDictionary", s.spellDictionary);
}

bool readPrefs(TAppState& state) {
    const QString path = userFilePath(state, prefsFileName);
    if (!quillfs::fileIsUsable(path)) return false;
    QByteArray bytes;
    if (!quillfs::readWholeFile(path, bytes)) return false;
    applyPrefsText(state, decodeTextFile(bytes));
    return true;
}

bool writePrefs(TAppContext& app) {
    QString error;
    const QString path = userFilePath(app.state, prefsFileName);
    if (quillfs::writeFileAtomic(path, prefsFileBytes(app.state), &error)) return true;
    app.logMessage(path + QStringLiteral(": ") + error, true, dbOk);
    return false;
}
