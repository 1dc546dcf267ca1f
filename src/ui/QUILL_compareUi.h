// The window side of plugin compare: the "LoadEspCompare" command and the edit dialog's compare page.
#pragma once

class TForm1;
class TForm2;

// Sets the "LoadEspCompare" command and, when the window has an edit dialog, fills its compare page.
void installPluginCompare(TForm1& form);
// Fills the compare page of `dialog` for its focused string (the older texts of its field, marked on Warning).
void espcompareResultList(TForm1& form, TForm2& dialog);
