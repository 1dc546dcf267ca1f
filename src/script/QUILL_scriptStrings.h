// Script strings: the list of untranslatable engine calls, the lock on "$" texts, the string entries made from a
// script's table and the texts written back.
#pragma once

#include "strings/QUILL_typedef.h"

#include <QString>
#include <QStringList>

class TPexScript;

// True when the lock is down and the text begins with "$".
bool isLockedTag(const QString& text, bool lockDown);

// One STRINGS entry per table entry, in table order, id = the string index.
void buildScriptStrings(const TPexScript& script, bool lockDown, tSkyStrList& list);

// The texts to write, one per table entry: the source of an untranslatable entry, else the translation with every
// line break made a single LF. Entries are placed by their id, so a re-ordered list writes the same file; a table
// entry without a list entry keeps its text.
QStringList scriptTextsToWrite(const TPexScript& script, const tSkyStrList& list);
