// Recent files and language presets.
#include "core/QUILL_recent.h"

#include "core/QUILL_dataList.h"
#include "core/QUILL_helpers.h"
#include "core/QUILL_main.h"

#include <QFileInfo>

void addRecentFile(QStringList& recent, const QString& path) {
    removeRecentFile(recent, path);
    recent.prepend(path);
}

qsizetype removeRecentFile(QStringList& recent, const QString& path) {
    return recent.removeIf([&path](const QString& entry) { return entry.compare(path, Qt::CaseInsensitive) == 0; });
}

TRecentKind recentFileKind(const QString& path) {
    const QString extension = QFileInfo(path).suffix().toLower();
    if (extension == QLatin1String("bsa") || extension == QLatin1String("txt")) return TRecentKind::menuFile;
    if (extension == QLatin1String("esp") || extension == QLatin1String("esm")) return TRecentKind::plugin;
    if (extension == QLatin1String("pex")) return TRecentKind::script;
    return TRecentKind::stringTables;
}

bool isDocumentFile(const QString& path) {
    static const QStringList known = {
        QStringLiteral("pex"), QStringLiteral("bsa"),     QStringLiteral("txt"),       QStringLiteral("esp"),
        QStringLiteral("esm"), QStringLiteral("strings"), QStringLiteral("dlstrings"), QStringLiteral("ilstrings")};
    return known.contains(QFileInfo(path).suffix().toLower());
}

bool addPreset(TAppState& state) {
    return insertSortedNoCase(state.presetlang, presetName(state.SourceLang, state.DestLang));
}

void clearPresets(TAppState& state) {
    state.presetlang.clear();
}
