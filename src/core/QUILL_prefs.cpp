// prefs.ini reading and writing.
#include "core/QUILL_prefs.h"

#include "core/QUILL_dataList.h"
#include "core/QUILL_files.h"
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
    w.boolean("isFirstLaunch", s.isFirstLaunch);
    w.text("UILang", s.UILang);
    w.text("StringsFolder", s.StringsFolder);
    w.text("StringsAddonFolder", s.StringsAddonFolder);
    w.text("papyrusPexFolder", s.papyrusPexFolder);
    w.text("EspFolder", s.EspFolder);
    w.text("XMLFolder", s.XMLFolder);
    w.text("EspCompareFolder", s.EspCompareFolder);
    w.text("EspBackup", s.EspBackup);
    w.text("SourceLang", s.SourceLang);
    w.text("DestLang", s.DestLang);
    w.text("SYNFONT", s.SYNFONT);
    w.boolean("authSound", s.authSound);
    w.boolean("useAddonHash", s.useAddonHash);
    w.boolean("EspBackupOptSimple", s.EspBackupOptSimple);
    w.boolean("EspBackupOptFolder", s.EspBackupOptFolder);
    w.boolean("OptAutoSelectField", s.OptAutoSelectField);
    w.boolean("showNullDefault", s.showNullDefault);
    w.integer("sstbackupCount", s.sstbackupCount);
    w.boolean("quillexpertMode", s.quillexpertMode);
    w.boolean("usesXML", s.usesXML);
    w.boolean("noReplace", s.noReplace);
    w.boolean("VTSimpleLine2", s.VTSimpleLine2);
    w.boolean("ForceFileStream2", s.ForceFileStream2);
    w.boolean("AuthAutoTranslate2", s.AuthAutoTranslate2);
    w.boolean("UseStringDialog2", s.UseStringDialog2);
    w.integer("POSW", s.windowpos.width);
    w.integer("POSH", s.windowpos.height);
    w.integer("POST", s.windowpos.top);
    w.integer("POSL", s.windowpos.left);
    w.integer("PAGE1", s.windowpos.Control1);
    w.integer("SPOSW", s.editWindowpos.width);
    w.integer("SPOSH", s.editWindowpos.height);
    w.integer("SPOST", s.editWindowpos.top);
    w.integer("SPOSL", s.editWindowpos.left);
    w.integer("SPAGE1", s.editWindowpos.Control1);
    for (int i = 0; i < qMin<qsizetype>(kRecentPrefsCount, s.recentAddon.size()); ++i)
        w.text(QStringLiteral("Recent%1").arg(i), s.recentAddon[i]);
    for (int i = 0; i < qMin<qsizetype>(kPresetPrefsCount, s.presetlang.size()); ++i)
        w.text(QStringLiteral("PresetLang%1").arg(i), s.presetlang[i]);
    for (int i = 0; i < qMin<qsizetype>(kVocabularyPrefsCount, s.cacheDisabledList.size()); ++i)
        w.text(QStringLiteral("cachedisabled%1").arg(i, 3, 16, QLatin1Char('0')), s.cacheDisabledList[i]);
    for (int i = 0; i < qMin<qsizetype>(kVocabularyPrefsCount, s.loadOrder.size()); ++i)
        w.text(QStringLiteral("loadOrder%1").arg(i, 3, 16, QLatin1Char('0')), s.loadOrder[i]);
    return w.bytes();
}

void applyPrefsText(TAppState& s, const QString& text) {
    const TPrefsReader r(text);
    r.boolean("isFirstLaunch", s.isFirstLaunch);
    r.text("UILang", s.UILang);
    r.folder("StringsFolder", s.StringsFolder);
    r.folder("StringsAddonFolder", s.StringsAddonFolder);
    r.folder("papyrusPexFolder", s.papyrusPexFolder);
    r.folder("EspFolder", s.EspFolder);
    r.folder("XMLFolder", s.XMLFolder);
    r.folder("EspCompareFolder", s.EspCompareFolder);
    r.folder("EspBackup", s.EspBackup);
    r.text("SourceLang", s.SourceLang);
    r.text("DestLang", s.DestLang);
    r.text("SYNFONT", s.SYNFONT);
    r.boolean("authSound", s.authSound);
    r.boolean("useAddonHash", s.useAddonHash);
    r.boolean("EspBackupOptSimple", s.EspBackupOptSimple);
    r.boolean("EspBackupOptFolder", s.EspBackupOptFolder);
    r.boolean("OptAutoSelectField", s.OptAutoSelectField);
    r.boolean("showNullDefault", s.showNullDefault);
    r.integer("sstbackupCount", s.sstbackupCount);
    r.boolean("quillexpertMode", s.quillexpertMode);
    r.boolean("usesXML", s.usesXML);
    r.boolean("noReplace", s.noReplace);
    r.boolean("VTSimpleLine2", s.VTSimpleLine2);
    r.boolean("ForceFileStream2", s.ForceFileStream2);
    r.boolean("AuthAutoTranslate2", s.AuthAutoTranslate2);
    r.boolean("UseStringDialog2", s.UseStringDialog2);
    r.integer("POSW", s.windowpos.width);
    r.integer("POSH", s.windowpos.height);
    r.integer("POST", s.windowpos.top);
    r.integer("POSL", s.windowpos.left);
    r.integer("PAGE1", s.windowpos.Control1);
    r.integer("SPOSW", s.editWindowpos.width);
    r.integer("SPOSH", s.editWindowpos.height);
    r.integer("SPOST", s.editWindowpos.top);
    r.integer("SPOSL", s.editWindowpos.left);
    r.integer("SPAGE1", s.editWindowpos.Control1);
    s.recentAddon.append(r.indexed(QStringLiteral("Recent"), kRecentPrefsCount, false));
    for (const QString& preset : r.indexed(QStringLiteral("PresetLang"), kPresetPrefsCount, false))
        insertSortedNoCase(s.presetlang, preset);
    for (const QString& key : r.indexed(QStringLiteral("cachedisabled"), kVocabularyPrefsCount, true))
        insertSortedNoCase(s.cacheDisabledList, key);
    s.loadOrder.append(r.indexed(QStringLiteral("loadOrder"), kVocabularyPrefsCount, true));
}

bool readPrefs(TAppState& state) {
    const QString path = state.programFolder + prefsFileName;
    if (!quillfs::fileIsUsable(path)) return false;
    QByteArray bytes;
    if (!quillfs::readWholeFile(path, bytes)) return false;
    applyPrefsText(state, decodeTextFile(bytes));
    return true;
}

bool writePrefs(TAppContext& app) {
    QString error;
    const QString path = app.state.programFolder + prefsFileName;
    if (quillfs::writeFileAtomic(path, prefsFileBytes(app.state), &error)) return true;
    app.logMessage(path + QStringLiteral(": ") + error, true, dbOk);
    return false;
}
