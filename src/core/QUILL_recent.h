// Recent files and language presets, as lists the menus are built from.
#pragma once

#include <QString>
#include <QStringList>

struct TAppState;

// Removes every entry equal to `path` ignoring case, then puts `path` first.
void addRecentFile(QStringList& recent, const QString& path);
// Removes every entry equal to `path` ignoring case; returns how many went.
qsizetype removeRecentFile(QStringList& recent, const QString& path);
// How a recent file is opened, by its lower-cased extension.
enum class TRecentKind { menuFile, plugin, script, stringTables };
TRecentKind recentFileKind(const QString& path);

// True for the extensions a file given at start or dropped on the window is opened by (.pex, .bsa, .txt, .esp, .esm,
// .strings, .dlstrings, .ilstrings).
bool isDocumentFile(const QString& path);

// "addPreset": adds preset_<SourceLang>_<DestLang> (sorted, no duplicates). False when it was there already.
bool addPreset(TAppState& state);
// "clearPreset".
void clearPresets(TAppState& state);
