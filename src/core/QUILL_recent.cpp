// Recent files and language presets.
#include "core/QUILL_recent.h"

#include "core/QUILL_dataList.h"
#include "core/QUILL_helpers.h"
#include "core/QUILL_main.h"

void addRecentFile(QStringList& recent, const QString& path) {
    removeRecentFile(recent, path);
    recent.prepend(path);
}

qsizetype removeRecentFile(QStringList& recent, const QString& path) {
    return recent.removeIf([&path](const QString& entry) { return entry.compare(path, Qt::CaseInsensitive) == 0; });
}

bool addPreset(TAppState& state) {
    return insertSortedNoCase(state.presetlang, presetName(state.SourceLang, state.DestLang));
}

void clearPresets(TAppState& state) {
    state.presetlang.clear();
}
