// The vocabulary: the translator's dictionaries and the game's caches, loaded for the translation aids; which
// dictionary belongs to the open document, saving it, and the vocabulary view's file commands.
#pragma once

#include "dictionary/QUILL_vocabulary.h"

#include <QString>

class TWorkspace;

struct TVocabularyState {
    TVocabulary vocab;
    // The vocabulary view's focused node (index into vocab.nodes), -1 for none.
    int focusedNode = -1;
    // Remembered for the run: the overwrite choice (0 to 4) shared by every pass that offers it, and the apply mode.
    int overwriteChoice = 1;
    int applyMode = 0;
};

// The vocabulary state, created on first use.
TVocabularyState& vocabularyState(TWorkspace& ws);

void scanVocabulary(TWorkspace& ws);
void loadVocabulary(TWorkspace& ws);
void unloadVocabulary(TWorkspace& ws);
void refreshVocabularyEntry(TWorkspace& ws, const QString& name);
rVocabularyNode* findDictionaryNode(TWorkspace& ws, const QString& name, bool clearLocks);
// "Hint_VocabReload": loads the vocabulary, then the exact pass when a game document is open.
void reloadVocabulary(TWorkspace& ws);
// Focuses the dictionary node of that name (for the command line and tests); false when there is none.
bool focusDictionaryNode(TWorkspace& ws, const QString& name);

// The file name "Save_SST" writes for the open document.
QString documentDictionaryFileName(const TWorkspace& ws);
// The current file's name without extension, lower-cased when asked, with the document's dictionary suffix.
QString documentDictionaryBase(const TWorkspace& ws, bool lower);
// Writes the loaded lists as dictionary `fileName` of the dictionary folder (the previous file kept as a backup) and
// reports it; once written, the work is saved and its ignored problems are kept beside it.
bool saveDictionaryFile(TWorkspace& ws, const QString& fileName);
// "menu_deletesst": sends the focused dictionary's file to the trash and reloads the vocabulary.
bool deleteFocusedDictionary(TWorkspace& ws);
// The merge and edit commands of the vocabulary view, not built yet.
void devWorkInProgress(TWorkspace& ws);
