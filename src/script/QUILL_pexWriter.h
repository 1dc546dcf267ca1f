// Writing compiled scripts back: the head and tail as read, with a new string table between them.
#pragma once

#include "core/QUILL_files.h"
#include "script/QUILL_scriptPex.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

class TAppContext;

// Appends a string as written in the file: a 16-bit length in the file's byte order and the UTF-8 bytes, at most
// 65,535 of them, cut at a character boundary.
void writePexString(const QString& text, bool bigEndian, QByteArray& out);
// The file's bytes with `strings` as its string table (one text per entry, in table order). An unchanged text keeps
// its bytes as read.
QByteArray buildPexBytes(const TPexScript& script, const QStringList& strings);
// Writes those bytes to `fileName` whole or not at all (`keep` makes the backup just before the file is replaced, see
// quillfs::TFileWriteSet); a failure is reported through `app` (when given) and gives false.
bool writePexFile(const TPexScript& script, const QStringList& strings, const QString& fileName, TAppContext* app,
                  const quillfs::tKeepOriginal& keep = {});
