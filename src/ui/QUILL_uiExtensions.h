// Where each area of the program installs its pages and commands into the main window.
#pragma once

class TForm1;

// Called once by the main window at the end of its start-up, before its first activation.
void installUiExtensions(TForm1& form);
