// Name, path and number helpers, and the window geometry rules.
#include "core/QUILL_helpers.h"

#include "core/QUILL_files.h"

#include <QDir>
#include <QFileInfo>

QString stripExtension(const QString& name) {
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0) return name;
    // A dot inside a folder name is not an extension.
    const qsizetype slash = qMax(name.lastIndexOf(QLatin1Char('/')), name.lastIndexOf(QLatin1Char('\\')));
    if (dot < slash) return name;
    return name.left(dot);
}

QString parentFolder(const QString& path) {
    QString normal = QDir::fromNativeSeparators(path);
    normal.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (normal.size() > 1 && normal.endsWith(QLatin1Char('/')))
        normal.chop(1);
    QString parent = QDir::cleanPath(normal + QStringLiteral("/.."));
    if (!parent.endsWith(QLatin1Char('/'))) parent += QLatin1Char('/');
    return parent;
}

QString trimTrailing(const QString& text, QChar ch) {
    qsizetype end = text.size();
    while (end > 0 && text[end - 1] == ch)
        --end;
    return text.left(end);
}

QString safeFileName(const QString& text) {
    static const QString forbidden = QStringLiteral("\"/\\*?<>|:");
    QString out;
    const QString trimmed = text.trimmed();
    out.reserve(trimmed.size());
    for (const QChar c : trimmed)
        if (!forbidden.contains(c)) out.append(c);
    return out;
}

rStringLang splitNameLang(const QString& name) {
    static const QString unknown = QStringLiteral("unknown");
    const qsizetype at = name.lastIndexOf(QLatin1Char('_'));
    if (at < 0) return {name, unknown};
    rStringLang out{name.left(at), name.mid(at + 1)};
    if (out.name.isEmpty()) out.name = unknown;
    if (out.s1.isEmpty()) out.s1 = unknown;
    return out;
}

rPresetName splitPresetName(const QString& text) {
    rPresetName out;
    const qsizetype last = text.lastIndexOf(QLatin1Char('_'));
    if (last < 0) return out;
    out.dst = text.mid(last + 1);
    const qsizetype previous = last > 0 ? text.lastIndexOf(QLatin1Char('_'), last - 1) : -1;
    if (previous < 0) return out;
    out.src = text.mid(previous + 1, last - previous - 1);
    out.prefix = text.left(previous);
    if (out.prefix.isEmpty()) out.prefix = QStringLiteral("Unknown");
    return out;
}

QString pathNoCase(const QString& folder, const QString& fileName) {
    const QString found = quillfs::findFileNoCase(folder, fileName);
    return found.isEmpty() ? folder + fileName : found;
}

QString dictionaryFileName(const TAppState& state, const QString& name, const QString& ext) {
    return QStringLiteral("%1_%2_%3.%4").arg(name, state.SourceLang, state.DestLang, ext);
}

QString oldDictionaryName(const QString& name) {
    const QString old = stripExtension(name);
    return old == name ? QString() : old;
}

QString dictionaryBaseName(const TAppState& state, const QString& suffix, bool lower) {
    QString base = stripExtension(state.currentFileName);
    if (lower) base = base.toLower();
    return base + suffix;
}

QString addonHashSuffix(const TAppState& state) {
    if (!state.useAddonHash || state.addonHash == 0) return {};
    return QStringLiteral("_%1").arg(state.addonHash, 8, 16, QLatin1Char('0')).toLower();
}

double ratio(double a, double b) {
    return b == 0.0 ? 0.0 : a / b;
}

bool isSingleCharAndEmpty(const QString& a, const QString& b) {
    return a.size() == 1 && b.isEmpty();
}

QString presetName(const QString& src, const QString& dst) {
    return QStringLiteral("preset_%1_%2").arg(src, dst);
}

rwindowpos fitWindowPos(const rwindowpos& saved, const QSize& screen) {
    rwindowpos out = saved;
    if (screen.width() > 0) out.width = qMin(saved.width, screen.width());
    if (screen.height() > 0) out.height = qMin(saved.height, screen.height());
    // The bottom panel rule compares the saved values, before the screen fit.
    if (out.Control1 > saved.height - 100) out.Control1 = saved.height - 100;
    out.Control1 = qMax(0, out.Control1);
    return out;
}

int fitBottomPanel(int clientHeight, int bottomHeight, int topHeight) {
    if (clientHeight < bottomHeight + topHeight + 100) return qMax(0, clientHeight - topHeight - 100);
    return bottomHeight;
}
