// Menu translation files (interface/translations/<mod>_<language>.txt): decoding by byte-order mark, entry lines,
// file names, and the UTF-16 LE form they are written in.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <vector>

struct rMenuEntry {
    QString key;   // up to the first tab, "$" included
    QString value; // everything after the first tab
};

// Decodes a file by its byte-order mark (UTF-8, UTF-16 LE or BE). Without one: UTF-16 when the zero bytes say so,
// UTF-8 when the bytes are valid UTF-8, else the system's ANSI code page.
QString decodeMenuBytes(QByteArrayView bytes);

// The entry lines of a text, in order: not empty, first character "$", holding a tab.
std::vector<rMenuEntry> parseMenuText(const QString& text);

// A translation made fit for one line: each line break (CR LF, LF or CR) becomes the two characters "\n", which
// the game's translation lookup reads as a line break.
QString escapeMenuText(const QString& text);

// The file's bytes: UTF-16 LE with its byte-order mark, one "key<TAB>text" line per entry, each ended by CR LF.
QByteArray encodeMenuFile(const std::vector<rMenuEntry>& entries);
