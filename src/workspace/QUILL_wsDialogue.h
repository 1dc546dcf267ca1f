// Workspace commands of the dialogue and language tools: the old dialogue style over the open plugin, with its
// prefix word file, and the Chinese character conversion of the translations. Each records one undo step.
#pragma once

#include "aids/QUILL_dialogueTools.h"

#include <QString>
#include <optional>

class TWorkspace;

// The pattern of the old dialogue style, remembered until the program ends.
QString& oldDialogPattern(TWorkspace& ws);

// The prefix word file of the destination language, misc/oldDialogStyle_<DestLang>.txt: the user's copy, else the
// shipped one.
QString oldDialogWordFile(const TWorkspace& ws);
// The prefix word list's text for the dialog: the word file's text when it exists and can be used, else the default
// words, one per line. Creates the misc folder when missing.
QString readOldDialogWords(TWorkspace& ws);
// Writes the word list's text to the word file as UTF-8 with a byte-order mark; a failure is logged with its reason.
bool saveOldDialogWords(TWorkspace& ws, const QString& text);

// "OldDialogStyle" once the dialog was accepted: inside an "OldDial_Replacing" operation, every INFO record below the
// plugin's quest group rewrites its prompts (TOldDialogRun), as one undo step; `wordFileText`, when given, is saved
// to the word file. Then "OldDial_Replaced" reports the number converted with an Ok dialog. Returns that number (0
// without a quest group), or -1 when no plugin is open.
// The old dialogue style rewrites a plugin's prompts with their source texts: a plugin open in one language on both
// sides.
bool canRunOldDialogStyle(const TWorkspace& ws);
int runOldDialogStyle(TWorkspace& ws, const rOldDialogOptions& options,
                      const std::optional<QString>& wordFileText = std::nullopt);

// "ConvertTCSC" / "ConvertSCTC": every translation of the three lists converted with misc/Charset_SCTC.txt, statuses
// kept, as one undo step inside a "Converting..." operation. A missing or malformed table converts nothing. Returns
// the number of entries changed.
int convertChinese(TWorkspace& ws, TChineseDirection direction);
