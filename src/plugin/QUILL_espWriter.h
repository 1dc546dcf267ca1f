// The plugin writer: rebuilding changed records (recompressed at their level), group sizes, and the whole file.
#pragma once

#include "plugin/QUILL_espTree.h"

#include <QString>

// Rebuilds every record, recomputes every group's size and returns the whole file. Throws TQuillError when a size
// no longer fits its field. `progress` gets (pass, node index) every 100 nodes.
QByteArray buildPluginBytes(tPluginTree& tree, const std::function<void(int pass, qsizetype node)>& progress = {});

// buildPluginBytes, then the file written whole or not at all. False with the reason in `error` on failure.
bool savePluginTree(tPluginTree& tree, const QString& path, QString* error,
                    const std::function<void(int pass, qsizetype node)>& progress = {});
