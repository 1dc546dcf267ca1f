// prefs.ini: the preferences in the user's folder (portable: beside the program), read and written in a fixed key
// order.
#pragma once

#include <QByteArray>
#include <QString>

struct TAppState;
class TAppContext;

// Limits of the indexed lists: Recent%d and PresetLang%d 0..10, cachedisabled%.3x and loadOrder%.3x 0..4095.
inline constexpr int kRecentPrefsCount = 11;
inline constexpr int kPresetPrefsCount = 11;
inline constexpr int kVocabularyPrefsCount = 4096;

// The whole file as written: UTF-8 with a byte-order mark, one key=value line per key in the documented order.
QByteArray prefsFileBytes(const TAppState& state);
// Applies the file's keys to the state. Absent keys, empty strings and unreadable numbers or Booleans keep the
// current value; indexed lists are read from index 0 to their limit, gaps skipped.
void applyPrefsText(TAppState& state, const QString& text);

// Reads the user's prefs.ini when it is usable; false when it was not read.
bool readPrefs(TAppState& state);
// Writes the user's prefs.ini whole or not at all; a failure is logged with an Ok dialog.
bool writePrefs(TAppContext& app);

// The usual text-to-Boolean rule: integers (0 false, any other true) and the words true/false; nothing otherwise.
bool parsePrefsBool(const QString& text, bool& out);
