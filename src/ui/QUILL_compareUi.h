// The window side of plugin compare: the "LoadEspCompare" command (the edit dialog fills its compare page itself).
#pragma once

class TForm1;

void installPluginCompare(TForm1& form);
