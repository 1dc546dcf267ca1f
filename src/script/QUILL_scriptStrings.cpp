// Script strings: which table entries become translatable entries and what is written back.
#include "script/QUILL_scriptStrings.h"

#include "script/QUILL_scriptPex.h"

bool isLockedTag(const QString& text, bool lockDown) {
    return lockDown && text.startsWith(QLatin1Char('$'));
}

void buildScriptStrings(const TPexScript& script, bool lockDown, tSkyStrList& list) {
    list.reserve(list.size() + script.pexStringTable.size());
    for (size_t i = 0; i < script.pexStringTable.size(); ++i) {
        const rPex& entry = script.pexStringTable[i];
        const QString text = script.pexText(static_cast<uint32_t>(i));
        auto sk = std::make_unique<tSkyStr>(text, text, 0, static_cast<uint32_t>(i), 99);
        if (!entry.auth || isLockedTag(text, lockDown)) {
            sk->sInternalparams.set(sStrInternalParam::pexNoTrans);
            sk->resetStatus({sStrParam::incompleteTrans}, {sStrParam::translated, sStrParam::validated});
        } else if (entry.warn) {
            sk->sInternalparams.set(sStrInternalParam::pexWarn);
        }
        sk->initStrings();
        list.push_back(std::move(sk));
    }
}

QStringList scriptTextsToWrite(const TPexScript& script, const tSkyStrList& list) {
    QStringList texts;
    texts.reserve(static_cast<qsizetype>(script.pexStringTable.size()));
    for (size_t i = 0; i < script.pexStringTable.size(); ++i)
        texts << script.pexText(static_cast<uint32_t>(i));
    for (const auto& sk : list) {
        if (sk->id >= static_cast<uint32_t>(texts.size())) continue;
        if (sk->hasFlag(sStrInternalParam::pexNoTrans)) {
            texts[sk->id] = sk->gS;
        } else {
            QString text = sk->gTrans;
            text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
            text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
            texts[sk->id] = text;
        }
    }
    return texts;
}
