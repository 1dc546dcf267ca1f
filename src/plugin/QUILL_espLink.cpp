// The string entry's link to its plugin record and field, and the record's editor id text.
#include "plugin/QUILL_espTree.h"

#include <QStringDecoder>

QString trecord::EdidNameEx() const {
    if (nameField) {
        QByteArray data = nameField->buffer;
        if (!data.isEmpty()) data.chop(1);
        return QString::fromLatin1(data);
    }
    return edidNameString;
}

QString trecord::EdidName(bool formatted) const {
    const QString name = EdidNameEx();
    if (!name.isEmpty()) return name;
    const QString hex = QStringLiteral("%1").arg(headerData.formID, 8, 16, QLatin1Char('0'));
    return formatted ? QLatin1Char('[') + hex + QLatin1Char(']') : hex;
}

void tSkyStr::AssignEspdata(trecord* r, tField* f) {
    esp.rec = r;
    esp.field = f;
    esp.formID = r ? r->headerData.formID : 0;
    esp.fName = f ? f->header.name : sHeaderSig();
}

void tSkyStr::checkStringIntegrity() {
    sInternalparams.clear(sStrInternalParam::stringSizeError);
    sInternalparams.clear(sStrInternalParam::stringCRError);
    if (!isEspAssigned()) return;
    if (!esp.field->hasCR && gTrans.contains(QStringLiteral("\r\n")))
        sInternalparams.set(sStrInternalParam::stringCRError);
    if (esp.field->maxStrSize > 0 && esp.field->maxStrSize < gTrans.size())
        sInternalparams.set(sStrInternalParam::stringSizeError);
}

QString tSkyStr::getEspRef() const {
    if (!isEspAssigned()) return QStringLiteral("EDID [Null]");
    return QStringLiteral("EDID [%1] %2 [Field: %3]")
        .arg(esp.rec->EdidNameEx(), esp.rec->EdidName(true), esp.field->header.name.toString());
}

QString tSkyStr::getEdidName() const { return isEspAssigned() ? esp.rec->EdidName(true) : QString(); }

uint32_t tSkyStr::getEdidHash() const { return isEspAssigned() ? esp.rec->edidNameHash : 0; }

uint32_t tSkyStr::getEdidHashXML() const { return isEspAssigned() ? textHash(getEdidName()) : 0; }

rFieldIndex tSkyStr::getrFieldIndex() const { return isEspAssigned() ? esp.field->rIndex : rFieldIndex{}; }
