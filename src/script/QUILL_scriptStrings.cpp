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
        auto sk = std::make_unique<tSkyStr>(entry.s, entry.s, 0, static_cast<uint32_t>(i), 99);
        if (!entry.auth || isLockedTag(entry.s, lockDown)) {
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
    for (const rPex& entry : script.pexStringTable)
        texts << entry.s;
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
