// File helpers every part shares: case-insensitive lookup, whole-or-nothing writes, the usable-file test.
#pragma once

#include "core/QUILL_cursor.h"

#include <QByteArray>
#include <QString>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class QIODevice;

namespace quillfs {

// Finds `relative` (one or more components separated by '/' or '\') under `folder`, ignoring letter case in every
// component, so that "strings/mymod_en.strings" finds "Strings/MyMod_EN.STRINGS" on a case-sensitive file system.
// An exact match wins over a case-folded one. Returns the existing path, or an empty string.
QString findFileNoCase(const QString& folder, const QString& relative);

// The same for a full path: its folder part is taken as given when it exists, else looked up component by component.
QString findPathNoCase(const QString& path);

// Writes `data` to `path` whole or not at all (a temporary file beside the target, renamed over it).
// On failure returns false and puts the reason in `error` when given.
bool writeFileAtomic(const QString& path, const QByteArray& data, QString* error = nullptr);

// The same, for writers that stream their output: `writer` writes into the device and returns false to abandon.
bool writeFileAtomic(const QString& path, const std::function<bool(QIODevice&)>& writer, QString* error = nullptr);

// True when the file exists and can be opened for reading and writing (a read-only file counts as unusable).
bool fileIsUsable(const QString& path);

// Reads a whole file; false (with the reason) when it cannot be read.
bool readWholeFile(const QString& path, QByteArray& out, QString* error = nullptr);

// A path in the platform's own form, with a single trailing separator (for folders shown to the user).
QString withTrailingSeparator(const QString& folder);

} // namespace quillfs
