// Plugin compare ("LoadEspCompare"): the translations of an older, translated version of the open plugin carried
// over to it, and the older records kept for the edit dialog's compare page and the list's warning mark.
#pragma once

#include "strings/QUILL_typedef.h"

#include <QString>
#include <QStringList>

class TWorkspace;

// A plugin is open (WorkMode "Esp" or "Strings+ EspLayout"): the only time the compare does anything.
bool canComparePlugin(const TWorkspace& ws);

// "LoadEspCompare": only with a plugin open (WorkMode "Esp" or "Strings+ EspLayout"). The host's open dialog
// ("FilterEsp") starts in the "EspCompareFolder" folder; a chosen file that does not exist is reported
// ("FileNotFound"). False when nothing was compared.
bool pickAndComparePlugin(TWorkspace& ws);

// Compares the open plugin with the older plugin at `path`: refused with "Fbk_MustDeloc" unless that file is a
// plugin that keeps its texts inline; its folder becomes "EspCompareFolder"; the overwrite options dialog TForm6
// ("Esp Compare:") gives the filter (cancel: nothing happens); the older records are read ("Fbk_EspCompare"), a
// read error reported with "Fbk_Failesp", and their texts carried over as one undo step. False when refused,
// cancelled or unreadable.
bool comparePlugin(TWorkspace& ws, const QString& path);

// Carries the texts of the compare records over to the entries the filter accepts, as one undo step
// ("Step_Compare"), with the code page of "_" + DestLang (UTF-8 when "ForceUtf8Load"). Returns the number of
// entries changed; -1 outside the plugin modes.
int carryOverTranslations(TWorkspace& ws, tStringPredicate filter);

// A plugin compare has left older records (the warning mark and the compare page show only then).
bool compareRecordsLoaded(const TWorkspace& ws);

// The older texts of the entry's field: the string fields of the same signature in the older record of the same
// form id, decoded with the compare's code page. Empty without compare records or for an entry not linked to a
// plugin field.
QStringList compareTextsFor(const TWorkspace& ws, const tSkyStr& entry);

// The list's warning mark of a partial entry while compare records exist: its record and field signatures are a
// warning pair of the record definitions.
bool isCompareWarning(const TWorkspace& ws, const tSkyStr& entry);
