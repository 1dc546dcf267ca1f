// Plugin compare in the window: the open dialog and the overwrite choice go through the host; the lists and the edit
// dialog's compare page follow through the change channel.
#include "ui/QUILL_compareUi.h"

#include "ui/QUILL_mainWindow.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsCompare.h"

void installPluginCompare(TForm1& form) {
    TWorkspace& ws = form.workspace();
    form.setCommand(QStringLiteral("LoadEspCompare"), [&ws] { pickAndComparePlugin(ws); });
}
