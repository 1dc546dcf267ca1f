// The string entry's link to its plugin record and field, and the record's editor id text.
#include "plugin/QUILL_espTree.h"

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
        .arg(esp.rec->EdidName(true), esp.rec->getname(), esp.field->header.name.toString());
}

QString tSkyStr::getEdidName() const {
    return isEspAssigned() ? esp.rec->EdidName(true) : QString();
}

uint32_t tSkyStr::getEdidHash() const {
    return isEspAssigned() ? esp.rec->edidNameHash : 0;
}

uint32_t tSkyStr::getEdidHashXML() const {
    return isEspAssigned() ? textHash(getEdidName()) : 0;
}

rFieldIndex tSkyStr::getrFieldIndex() const {
    return isEspAssigned() ? esp.field->rIndex : rFieldIndex{};
}
