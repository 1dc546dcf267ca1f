// The record structure view's text: one plugin record field by field, each field's bytes in hex, and the lookup of a
// record by form id for the command line.
#pragma once

#include "plugin/QUILL_espTree.h"

#include <QStringList>
#include <cstdint>

// At most this many bytes of a field are shown.
constexpr qsizetype kRecordStructMaxBytes = 1025;

// The record's getStringName, then per field "SIG size" (the 16-bit size of its header) and, when it holds data, its
// first bytes as "%.2x:" each. A raw record has no fields: its name line only.
QStringList recordStructureLines(const trecord& record);
QString recordStructureText(const trecord& record);

// The first record of the tree (in file order) with that form id, or null (0 finds the TES4 header).
trecord* findRecordByFormId(tPluginTree& tree, uint32_t formId);
