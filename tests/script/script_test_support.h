// Shared helpers of the script tests: parsing built bytes with a scripted host and finding table entries.
#pragma once

#include "core/QUILL_main.h"
#include "script/QUILL_scriptListing.h"
#include "script/QUILL_scriptPex.h"
#include "support/scripted_host.h"
#include "support/trickle_source.h"

#include <QLocale>
#include <gtest/gtest.h>
#include <memory>

struct TParsedScript {
    TScriptedHost host;
    TAppContext app{&host};
    TPexScript pex;
    bool ok = false;
    int waits = 0; // how often the read waited for bytes (read through a trickle)

    // With `trickleStep` zero or more, the bytes arrive through a TTrickleSource with that step, from none at all.
    explicit TParsedScript(const QByteArray& bytes, const QStringList& noTrans = {}, qsizetype trickleStep = -1) {
        QLocale::setDefault(QLocale::c());
        // Messages carry their keys, so tests can tell which failure was reported.
        app.texts.set(QStringLiteral("fbk_pexError"), QStringLiteral("fbk_pexError %s"));
        app.texts.set(QStringLiteral("fbk_pexErrorPos"), QStringLiteral("fbk_pexErrorPos %d"));
        pex.noTransProcList = noTrans;
        pex.noTransProcList.sort(Qt::CaseInsensitive);
        pex.resetPex();
        if (trickleStep < 0) {
            ok = pex.parsePex(bytes, &app);
        } else {
            TTrickleSource source(bytes, 0, trickleStep);
            ok = pex.parsePex(source.buffer(), source.in(), source, &app);
            waits = source.waits();
        }
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
