// Start-up and close of the headless core: folders, data files, preferences and UI text, in their fixed order.
#pragma once

class TAppContext;
class QString;

// Brings the application state from nothing to ready: programFolder (with a trailing '/'), folder defaults,
// data files, prefs.ini and the UI text of the chosen language with the English fallback.
void startApplication(TAppContext& app, const QString& programFolder);
