// The record structure view's text.
#include "plugin/QUILL_recordStruct.h"

QStringList recordStructureLines(const trecord& record) {
    QStringList lines;
    lines << record.getStringName();
    for (const tField& field : record.fList) {
        lines << QStringLiteral("%1 %2").arg(field.header.name.toString()).arg(field.header.dsize);
        const QByteArrayView data = field.buffer.view();
        if (data.isEmpty()) continue;
        // toHex puts the separator between bytes only; every byte here is followed by its colon.
        lines << QString::fromLatin1(data.first(qMin(data.size(), kRecordStructMaxBytes)).toByteArray().toHex(':') +
                                     ':');
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
