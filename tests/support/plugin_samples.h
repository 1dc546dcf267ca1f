// The sample mod shipped in data/samples: a plain plugin with English texts across record types, and a localized
// copy with its three string tables. Made by the tests (QUILL_REGENERATE_SAMPLES=1 writes them into data/samples).
#pragma once

#include <QString>
#include <QStringList>

class TAppContext;

// Writes "QuillerySample.esp", "QuillerySampleLocalized.esp" and
// "strings/QuillerySampleLocalized_en.STRINGS|.DLSTRINGS|.ILSTRINGS" into `folder`. Returns the files written, or
// an empty list when a file could not be written (reported through `app`).
QStringList writePluginSamples(TAppContext& app, const QString& folder);
// The same, reporting to nobody.
QStringList writePluginSamples(const QString& folder);

// The sample's texts in the order a plain load lists them, per list (0 STRINGS, 1 DLSTRINGS, 2 ILSTRINGS).
QStringList pluginSampleTexts(int listIndex);
