// Texts that arrive in the wrong encoding: a plugin or table set whose source language says it is 8-bit but whose
// texts are UTF-8 (a translation saved for another language, reopened with the wrong source language).
#pragma once

#include <QtGlobal>

class TWorkspace;

// Run after a plugin or table set was read: counts the source texts that are UTF-8 read through an 8-bit code page.
// When most texts beyond ASCII are, warns in the log and the status bar and remembers the count on the document.
// Returns the count kept (0 when the texts look right).
qsizetype checkSourceEncoding(TWorkspace& ws);
// Before a save: true when no text looked misencoded, or the translator agreed to save anyway.
bool confirmMisencodedSave(TWorkspace& ws);
// The encoding bar's "reopen reading UTF-8": ticks Options > UTF-8 > ForceUtf8Load and opens the document's file
// again (after the unsaved-work question). False when nothing was reopened.
bool reopenReadingUtf8(TWorkspace& ws);
