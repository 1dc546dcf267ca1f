// The plugin writer: rebuilding changed records (recompressed at their level), group sizes, and the whole file.
#pragma once

#include "core/QUILL_files.h"
#include "plugin/QUILL_espTree.h"

#include <QString>

// Rebuilds every record, recomputes every group's size and hands the file to `sink` in order, in chunks of a few
// megabytes (the next chunk starts empty). Throws TQuillError when a size no longer fits its field. `progress` gets
// (pass, node index) every 100 nodes.
void writePluginTree(tPluginTree& tree, const std::function<void(const QByteArray& chunk)>& sink,
                     const std::function<void(int pass, qsizetype node)>& progress = {});

// writePluginTree into one byte array: the whole file.
QByteArray buildPluginBytes(tPluginTree& tree, const std::function<void(int pass, qsizetype node)>& progress = {});

// writePluginTree into the file, written whole or not at all (beside the target, then renamed; `keep` makes the
// backup just before, see quillfs::TFileWriteSet). False with the reason in `error` on failure.
bool savePluginTree(tPluginTree& tree, const QString& path, QString* error,
                    const std::function<void(int pass, qsizetype node)>& progress = {},
                    const quillfs::tKeepOriginal& keep = {});
