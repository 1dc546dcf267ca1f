// Small name, path and number helpers shared by every part, and the window geometry rules.
#pragma once

#include "core/QUILL_main.h"

#include <QSize>
#include <QString>
#include <QStringList>

// A name split from its language suffix ("mymod_en" -> name "mymod", s1 "en").
struct rStringLang {
    QString name;
    QString s1;
};

// A preset "preset_en_fr" split from the right: prefix "preset", src "en", dst "fr".
struct rPresetName {
    QString prefix;
    QString src;
    QString dst;
};

// The name without its extension; unchanged when it holds no '.'.
QString stripExtension(const QString& name);
// The folder above `path` (with a trailing '/'), as "path\.." resolves.
QString parentFolder(const QString& path);
// Removes every trailing occurrence of `ch`.
QString trimTrailing(const QString& text, QChar ch);
// Trimmed, without any of " / \ * ? < > | :
QString safeFileName(const QString& text);
// Splits at the last '_'; an empty part becomes "unknown"; without '_' the language is "unknown".
rStringLang splitNameLang(const QString& name);
// From the right: dst after the last '_', src between the last two, prefix before them ("Unknown" when empty).
// With a single '_' only dst is set; with none all three stay empty.
rPresetName splitPresetName(const QString& text);
// The file in `folder` named `fileName` ignoring case, else folder + fileName (for a file about to be written).
QString pathNoCase(const QString& folder, const QString& fileName);
// "%s_%s_%s.%s" of the dictionary or cache name (whole: "my.mod" names "my.mod_en_fr.sst"), SourceLang, DestLang and
// ext.
QString dictionaryFileName(const TAppState& state, const QString& name, const QString& ext);
// The name the document dictionary of a dotted file name was saved under before it was named from the whole name:
// its last dotted part dropped too ("my.mod" -> "my"); empty when that is the name itself.
QString oldDictionaryName(const QString& name);
// stripExtension(current file name), lower-cased when asked, plus the document's suffix ("_mcm", "_pex").
QString dictionaryBaseName(const TAppState& state, const QString& suffix, bool lower);
// "_%.8x" of the addon hash when useAddonHash is on and the hash is not 0; else empty.
QString addonHashSuffix(const TAppState& state);
// a / b, 0 when b is 0.
double ratio(double a, double b);
// True when a has length 1 and b is empty.
bool isSingleCharAndEmpty(const QString& a, const QString& b);

// "preset_%s_%s" of the two languages.
QString presetName(const QString& src, const QString& dst);

// The saved main window geometry made to fit the screen: width and height at most the screen's, the bottom panel
// at most height - 100 (both saved values), never negative.
rwindowpos fitWindowPos(const rwindowpos& saved, const QSize& screen);
// The bottom panel height after a resize: reduced so that at least 100 pixels stay for the top panel's neighbours.
int fitBottomPanel(int clientHeight, int bottomHeight, int topHeight);
