// Widgets layer (the main window and dialogs live here).
