// Start-up and close of the headless core: folders, data files, preferences and UI text, in their fixed order.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class TAppContext;
struct rAppFolders;

// Brings the application state from nothing to ready: the program's folders, record definition lines, game data
// folder and folder defaults, the Cache and UserDictionary/Backup folders, the data files, prefs.ini, the UI text of
// the chosen language with the English fallback, the folders line of the log, and header.tpl. `gameDataFolder`
// replaces the lookup of the game's Data folder (tests, or a folder given on the command line).
void startApplication(TAppContext& app, const rAppFolders& folders,
                      const std::optional<QString>& gameDataFolder = std::nullopt);
// The same with the folders decided from the executable's folder `programFolder` (decideAppFolders).
void startApplication(TAppContext& app, const QString& programFolder,
                      const std::optional<QString>& gameDataFolder = std::nullopt);

// Close: saves prefs.ini, then runs the context's close actions.
void closeApplication(TAppContext& app);

// Loads res/<UILang>/Res.ini and fills what it lacks from res/english/Res.ini, logging "UIFallback found for: "
// + key for each key taken from the fallback. Returns those keys.
QStringList loadUiTexts(TAppContext& app);

// The module texts resolved once the table is ready (they are looked up through uiText wherever they are used).
const QStringList& moduleTextKeys();

// The folder defaults that follow from the game data folder (empty when there is none).
void applyFolderDefaults(TAppContext& app, const QString& gameDataFolder);

// The HTML of a page for the Home pane: the file with header.tpl's lines put before its first line, or, when the
// file is missing, its name followed by the text of "DocsMissing". `file` is relative to resFolder.
QString buildHtmlPage(const TAppContext& app, const QString& file);
