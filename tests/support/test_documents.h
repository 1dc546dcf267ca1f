// Bare documents for tests that fill the lists by hand: the open document is of the kind a mode names, with no file.
#pragma once

#include "core/QUILL_main.h"

class TDocument;
class TWorkspace;

// Makes a bare document of the kind `mode` names the open one (none for TWorkMode::None), keeping the entries the
// test put in the lists, and returns it (null for None).
TDocument* adoptDocument(TWorkspace& ws, TWorkMode mode);
