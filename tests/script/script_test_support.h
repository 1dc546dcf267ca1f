// Shared helpers of the script tests: parsing built bytes with a scripted host and finding table entries.
#pragma once

#include "core/QUILL_main.h"
#include "script/QUILL_pexReader.h"
#include "script/QUILL_pexRules.h"
#include "script/QUILL_pexWriter.h"
#include "script/QUILL_scriptListing.h"
#include "support/scripted_host.h"

#include <QLocale>
#include <gtest/gtest.h>
#include <memory>

struct TParsedScript {
    TScriptedHost host;
    TAppContext app{&host};
    TPexScript pex;
    rPexRuleState rules;
    bool ok = false;

    // Reads the bytes and applies the string rules with the untranslatable calls `noTrans`.
    explicit TParsedScript(const QByteArray& bytes, const QStringList& noTrans = {}) {
        QLocale::setDefault(QLocale::c());
        // Messages carry their keys, so tests can tell which failure was reported.
        app.texts.set(QStringLiteral("fbk_pexError"), QStringLiteral("fbk_pexError %s"));
        app.texts.set(QStringLiteral("fbk_pexErrorPos"), QStringLiteral("fbk_pexErrorPos %d"));
        ok = parsePex(pex, bytes, &app);
        if (ok) rules = applyPexStringRules(pex, noTrans);
        ensureListing(pex);
    }
    int indexOf(const QString& text) const {
        for (size_t i = 0; i < pex.pexStringTable.size(); ++i)
            if (pex.pexText(static_cast<uint32_t>(i)) == text) return static_cast<int>(i);
        return -1;
    }
    const rPex& entry(const QString& text) const {
        const int i = indexOf(text);
        EXPECT_GE(i, 0) << text.toStdString();
        static const rPex missing;
        return i >= 0 ? pex.pexStringTable[i] : missing;
    }
    QStringList texts() const {
        QStringList out;
        for (size_t i = 0; i < pex.pexStringTable.size(); ++i)
            out << pex.pexText(static_cast<uint32_t>(i));
        return out;
    }
};
