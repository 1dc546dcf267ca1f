// Workspace state and commands of the dictionaries, the vocabulary, the translation passes and the XML exchange.
#pragma once

#include "dictionary/QUILL_passes.h"
#include "dictionary/QUILL_vocabulary.h"
#include "workspace/QUILL_document.h"

#include <QString>
#include <functional>

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

// Asks which translations a copying command may replace (the overwrite options dialog TForm6, captioned with the
// text of `captionKey`, preset with the remembered choice). Returns the choice, 0 to 4, remembered for the next
// command; -1 when the translator cancelled.
int askOverwriteChoice(TWorkspace& ws, const QString& captionKey);

// The custom dictionary opened for editing: its entries are the loaded lists, saved as the dictionary itself.
struct TCustomDictionaryDocument : TDocument {
    // "Open" of the Custom_Dic menu: the custom dictionary of the two languages, for editing.
    static bool open(TWorkspace& ws, const QString& path, bool rememberFolder);

    TWorkMode mode() const override { return TWorkMode::sstEditCustom; }
    TExportKind exportKind() const override { return TExportKind::stringTables; }
    rColumnLayout layout() const override;
    bool save(TWorkspace& ws, bool saveAs, const QString& target) override;
    // It is a dictionary: its work is saved as itself.
    bool hasOwnDictionary() const override { return false; }
    bool savesWorkAsDocument(const TAppState&) const override { return false; }
    bool saveWork(TWorkspace& ws) override { return save(ws, false, {}); }
    bool exactPassOnOpen() const override { return false; }
    bool journalled() const override { return false; }
};

// The vocabulary.
void scanVocabulary(TWorkspace& ws);
void loadVocabulary(TWorkspace& ws);
void unloadVocabulary(TWorkspace& ws);
void refreshVocabularyEntry(TWorkspace& ws, const QString& name);
rVocabularyNode* findDictionaryNode(TWorkspace& ws, const QString& name, bool clearLocks);
// "Hint_VocabReload": loads the vocabulary, then the exact pass when a game document is open.
void reloadVocabulary(TWorkspace& ws);
// Focuses the dictionary node of that name (for the command line and tests); false when there is none.
bool focusDictionaryNode(TWorkspace& ws, const QString& name);

// The passes.
void exactTranslation(TWorkspace& ws, tStringPredicate filter, bool forceSearch);
// "Trans_Exact": the exact pass over every entry, searching the vocabulary whatever the option says.
void translateExact(TWorkspace& ws);
// "menu_Applysst": applies the focused dictionary after the options dialog TForm12; false when nothing applied.
bool applySelectedDictionary(TWorkspace& ws);
// "LoadStringAsDest" on a chosen table file (the picker variant asks for the file first).
bool loadStringsAsDest(TWorkspace& ws, const QString& path);
// Only a document whose texts live in string tables (a table set, a localized plugin) takes destination tables.
bool canLoadStringsAsDest(const TWorkspace& ws);
bool pickStringsAsDest(TWorkspace& ws);

// The XML exchange: the file variants run the whole command around a known path.
bool writeXmlExport(TWorkspace& ws, const QString& path);
bool readXmlImport(TWorkspace& ws, const QString& path);
QString defaultXmlBaseName(const TWorkspace& ws);
bool exportXmlFile(TWorkspace& ws, const QString& chosenPath);
bool importXmlFile(TWorkspace& ws, const QString& path);
// "SaveCurrentXml" / "LoadCurrentXML": the file variants after the host's file dialog.
bool pickXmlExport(TWorkspace& ws);
bool pickXmlImport(TWorkspace& ws);

// The custom dictionary and the vocabulary view's file commands.
// Appends an empty incompleteTrans entry to list `listIndex` of the custom dictionary; null outside it.
tSkyStr* addCustomEntry(TWorkspace& ws, int listIndex);
// "menu_deletesst": sends the focused dictionary's file to the trash and reloads the vocabulary.
bool deleteFocusedDictionary(TWorkspace& ws);
// The merge and edit commands of the vocabulary view, not built yet.
void devWorkInProgress(TWorkspace& ws);
// The file name "Save_SST" writes for the open document.
QString documentDictionaryFileName(const TWorkspace& ws);
// The current file's name without extension, lower-cased when asked, with the document's dictionary suffix.
QString documentDictionaryBase(const TWorkspace& ws, bool lower);
