// A plugin saved in place: once a translation is written over the plugin it came from, the file holds the
// translations as its texts and the original lives on only as a timestamped backup. Opening such a file again finds
// out, says so and offers the original.
#pragma once

#include "strings/QUILL_codepage.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

class TWorkspace;
class tPluginTree;

// How the texts of a plugin compare with its own dictionary: texts that are translations the dictionary holds, and
// texts that are sources it holds.
struct rOwnTextCount {
    qsizetype asTranslations = 0;
    qsizetype asSources = 0;
    // More of its texts are the dictionary's translations than its sources.
    bool savedInPlace() const { return asTranslations > 0 && asTranslations > asSources; }
};

// Counts the string fields of `tree` against the translations and sources of the plugin `fileName`'s own dictionary
// (for the current languages): each text read with `source` as a source, with `dest` as a translation.
rOwnTextCount countOwnTexts(TWorkspace& ws, const QString& fileName, const tPluginTree& tree, const rCodepage& source,
                            const rCodepage& dest);

// What opening a plain plugin does about it.
enum class TSavedInPlaceChoice {
    asUsual,  // not saved in place: read as any plugin
    original, // read the original (its bytes in `originalBytes`) in the file's place
    goOn,     // go on with the file, its texts read with the translation language's code page
    cancel,   // the translator cancelled the open
};

struct rSavedInPlace {
    TSavedInPlaceChoice choice = TSavedInPlaceChoice::asUsual;
    QString originalPath; // the backup holding the original, when one was found
    QByteArray originalBytes;
};

// Run by the plain plugin load once `tree` is read from `path`: when its texts are the translations of its own
// dictionary, finds the newest backup beside it that is not itself a translation and asks (the host's choice
// "SavedInPlace": 0 opens the original, 1 goes on with the file; --yes / --no on the command line). Without such a
// backup the file is read as a translation, with a note in the log.
rSavedInPlace settleSavedInPlace(TWorkspace& ws, const QString& path, const tPluginTree& tree);

// After a plugin was saved over the file it was read from: says in the log and the status bar where the original
// went (`keptAt`, empty when no backup was made).
void noteSavedInPlace(TWorkspace& ws, const QString& target, const QString& keptAt);
