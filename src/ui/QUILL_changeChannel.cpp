// The workspace's change channel as Qt signals.
#include "ui/QUILL_changeChannel.h"

#include "workspace/QUILL_workspace.h"

TChangeChannel::TChangeChannel(TWorkspace& ws, QObject* parent) : QObject(parent), ws_(ws) {
    ws_.addObserver(this);
}

TChangeChannel::~TChangeChannel() {
    ws_.removeObserver(this);
}
