// Workspace state of an open compiled script or menu translation file.
#pragma once

struct TScriptDocument {};
struct TMenuDocument {};
