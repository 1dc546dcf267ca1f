// Line-based data files of the program: decoding with byte-order-mark detection and loadDataList.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class TAppContext;

// Decodes a text file's bytes: UTF-8, UTF-16LE or UTF-16BE when a byte-order mark says so (the mark removed),
// else the system's 8-bit code page.
QString decodeTextFile(const QByteArray& bytes);
// Splits text into lines at CR LF, LF or a lone CR; a final line break does not make an empty last line.
QStringList splitTextLines(const QString& text);

// Reads the lines of `path` when the file is usable (dataFileIsUsable); removes comment lines (first non-blank
// character '#') and blank lines; with keyValueOnly also every line without '='. With sorted the list is sorted
// ignoring case and lines equal ignoring case are kept once. A read failure is logged with an Ok dialog; the list
// (possibly empty) comes back in every case.
QStringList loadDataList(TAppContext& app, const QString& path, bool sorted = false, bool keyValueOnly = false);

// Sorts ignoring case and drops entries equal ignoring case to the one before (the first kept).
void sortUniqueNoCase(QStringList& list);
// Inserts `value` into a list kept sorted ignoring case unless an equal entry (ignoring case) exists.
bool insertSortedNoCase(QStringList& list, const QString& value);
