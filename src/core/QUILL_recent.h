// Recent files and language presets, as lists the menus are built from.
#pragma once

#include <QString>
#include <QStringList>

struct TAppState;

// Removes every entry equal to `path` ignoring case, then puts `path` first.
void addRecentFile(QStringList& recent, const QString& path);
// Removes every entry equal to `path` ignoring case; returns how many went.
qsizetype removeRecentFile(QStringList& recent, const QString& path);
// "addPreset": adds preset_<SourceLang>_<DestLang> (sorted, no duplicates). False when it was there already.
bool addPreset(TAppState& state);
// "clearPreset".
void clearPresets(TAppState& state);
