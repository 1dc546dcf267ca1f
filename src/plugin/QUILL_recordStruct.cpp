// The record structure view's text.
#include "plugin/QUILL_recordStruct.h"

QStringList recordStructureLines(const trecord& record) {
    QStringList lines;
    lines << record.getStringName();
    const auto add = [&lines](sHeaderSig name, uint16_t dsize, QByteArrayView data) {
        lines << QStringLiteral("%1 %2").arg(name.toString()).arg(dsize);
        if (data.isEmpty()) return;
        // toHex puts the separator between bytes only; every byte here is followed by its colon.
        lines << QString::fromLatin1(data.first(qMin(data.size(), kRecordStructMaxBytes)).toByteArray().toHex(':') +
                                     ':');
    };
    for (const tField& field : record.fList) {
        if (!field.params.has(sfieldParam::opaque)) {
            add(field.header.name, field.header.dsize, field.buffer.view());
            continue;
        }
        // A run of fields held as read: each shown as it was read.
        forEachFieldIn(field.buffer.view(), add);
    }
    return lines;
}

QString recordStructureText(const trecord& record) {
    return recordStructureLines(record).join(QLatin1Char('\n'));
}

trecord* findRecordByFormId(tPluginTree& tree, uint32_t formId) {
    trecord* found = nullptr;
    tree.forEach([&](tPluginNode& node) {
        if (found) return;
        if (trecord* r = node.record(); r && r->headerData.formID == formId) found = r;
    });
    return found;
}
