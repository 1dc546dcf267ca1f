// Qt's own texts (the editors' context menu: Undo, Cut, Copy, Paste ...; the standard buttons) in the interface
// language, from the translations Qt ships.
#pragma once

class TAppContext;

// Loads Qt's translations for the interface language (its "Locale" UI text, "fr") into the application, replacing
// the ones loaded before; English needs none. Looked for beside the program ("translations/") first, then where Qt
// keeps them. False when the language has texts of its own but Qt's were not found.
bool installQtTranslations(const TAppContext& app);
