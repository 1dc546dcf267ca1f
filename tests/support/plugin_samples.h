// The sample mod shipped in data/samples: a plain plugin with English texts across record types, and a localized
// copy with its three string tables. Made by `quillery-cli make-samples DIR` and by the tests.
#pragma once

#include <QString>
#include <QStringList>

class TAppContext;

// Writes "QuillerySample.esp", "QuillerySampleLocalized.esp" and
// "strings/QuillerySampleLocalized_en.STRINGS|.DLSTRINGS|.ILSTRINGS" into `folder`. Returns the files written, or
// an empty list when a file could not be written (reported through `app`).
QStringList writePluginSamples(TAppContext& app, const QString& folder);

// The sample's texts in the order a plain load lists them, per list (0 STRINGS, 1 DLSTRINGS, 2 ILSTRINGS).
QStringList pluginSampleTexts(int listIndex);
