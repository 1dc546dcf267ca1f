// The progress table: each entry counted once by its state, and the words translators count.
#include "strings/QUILL_typedef.h"
#include "workspace/QUILL_progress.h"
#include "workspace/QUILL_workspace.h"

#include <gtest/gtest.h>

TEST(Progress, WordsLeaveMarkupOutAndKeepNumbersAndElisions) {
    EXPECT_EQ(countWords(QString()), 0);
    EXPECT_EQ(countWords(QStringLiteral("Quill Laser Musket")), 3);
    EXPECT_EQ(countWords(QStringLiteral("  l'épée  du 10mm - ok. ")), 4);
    EXPECT_EQ(countWords(QStringLiteral("<Alias=Player> takes %d caps")), 2);
    EXPECT_EQ(countWords(QStringLiteral("<p>Word</p><font face='$HandwrittenFont'>Two words</font>")), 3);
    EXPECT_EQ(countWords(QStringLiteral("Line one\r\nline two[pagebreak]three")), 5);
}

TEST(Progress, EachEntryCountsOnceValidatedBeforePartialBeforeTranslated) {
    TWorkspace ws;
    auto add = [&](int list, const QString& source, sStrParams params) {
        ws.loadedLists[list].push_back(std::make_unique<tSkyStr>(source, source, list, 1, 99, params));
    };
    add(0, QStringLiteral("one two"), {});
    add(0, QStringLiteral("three"), sStrParams{sStrParam::translated});
    add(0, QStringLiteral("four five six"), sStrParams{sStrParam::translated, sStrParam::incompleteTrans});
    add(1, QStringLiteral("seven"),
        sStrParams{sStrParam::translated, sStrParam::validated, sStrParam::incompleteTrans});
    const rProgressTable table = computeProgress(ws);
    EXPECT_EQ(table.lists[0].total, 3);
    EXPECT_EQ(table.lists[0].untranslated, 1);
    EXPECT_EQ(table.lists[0].translated, 1);
    EXPECT_EQ(table.lists[0].partial, 1);
    EXPECT_EQ(table.lists[0].wordsLeft, 5); // the untranslated and the partial sources
    EXPECT_EQ(table.lists[1].validated, 1);
    EXPECT_EQ(table.lists[1].wordsLeft, 0);
    EXPECT_EQ(table.total.total, 4);
    EXPECT_EQ(table.total.done(), 3);
    EXPECT_TRUE(table.fields.empty()); // no plugin fields

    TAppContext app;
    app.texts.set(QStringLiteral("Progress_Status"), QStringLiteral("%s of %s strings translated (%d%%)"));
    EXPECT_EQ(progressStatusText(app, table.total), QStringLiteral("3 of 4 strings translated (75%)"));
    const QString json = progressJsonLines(table);
    EXPECT_TRUE(json.startsWith(QStringLiteral("{\"list\":0,\"total\":3,\"untranslated\":1,\"translated\":1,"
                                               "\"partial\":1,\"validated\":0,\"words_left\":5}\n")))
        << json.toStdString();
}
