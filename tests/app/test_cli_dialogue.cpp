// The command line's dialogue and language steps on a built plugin: --old-dialog-style with its options, saved and
// read again, its refusals, and --convert-chinese both ways.
#include "cli_runner.h"
#include "plugin_builder.h"
#include "temp_program_dir.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace {

using B = TPluginBuilder;

struct TCliDialogueFixture {
    TTempProgramDir dir;
    QString plugin;

    TCliDialogueFixture() {
        B b;
        b.beginGroup("QUST");
        b.record("QUST", 0x10, {B::text("EDID", "MyQuest")});
        b.beginGroup(0x10, 10);
        b.record("DIAL", 0x11, {B::text("EDID", "MyTopic")});
        b.beginGroup(0x11, 7);
        b.record("INFO", 0x20, {B::text("NAM1", "Nice work, really"), B::text("RNAM", "Sarcastic")});
        b.record("INFO", 0x21,
                 {B::text("NAM1", QString(60, QLatin1Char('a')) + QStringLiteral(" and more words to "
                                                                                 "pass the limit")),
                  B::text("RNAM", "Long")});
        b.record("INFO", 0x22, {B::u32("DNAM", 0x20), B::text("RNAM", "Shared")});
        b.endGroup().endGroup().endGroup();
        plugin = dir.write(QStringLiteral("Data/dial.esp"), b.bytes());
    }
    rCliRun run(const QStringList& steps, const QString& file = {}, const QString& dest = QStringLiteral("en")) {
        return runQuilleryCli(QStringList{QStringLiteral("--program-dir"), dir.path(), QStringLiteral("--source"),
                                          QStringLiteral("en"), QStringLiteral("--dest"), dest, QStringLiteral("--yes"),
                                          file.isEmpty() ? plugin : file} +
                              steps);
    }
};

// "source" -> "translation" of the list-0 entries (the prompts) of a --dump.
QHash<QString, QString> prompts(const QString& out) {
    QHash<QString, QString> map;
    for (const QString& line : out.split(QLatin1Char('\n'))) {
        const QJsonObject o = QJsonDocument::fromJson(line.toUtf8()).object();
        if (!o.isEmpty() && o.value(QStringLiteral("list")).toInt() == 0)
            map.insert(o.value(QStringLiteral("source")).toString(), o.value(QStringLiteral("translation")).toString());
    }
    return map;
}

} // namespace

TEST(CliDialogue, OldDialogStyleWithItsOptionsSavedAndReadAgain) {
    TCliDialogueFixture f;
    const rCliRun r = f.run({QStringLiteral("--old-dialog-style"), QStringLiteral("--prefix-words"),
                             QStringLiteral("--long"), QStringLiteral("cut"), QStringLiteral("--limit"),
                             QStringLiteral("75"), QStringLiteral("--dump"), QStringLiteral("--save")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const auto p = prompts(r.out);
    EXPECT_EQ(p.value(QStringLiteral("Sarcastic")), QStringLiteral("[Sarcastic] Nice work, really"));
    // 93 characters cut at 75: back to the space at 70, the text before it and "...".
    EXPECT_EQ(p.value(QStringLiteral("Long")), QString(60, QLatin1Char('a')) + QStringLiteral(" and more..."));
    EXPECT_EQ(p.value(QStringLiteral("Shared")), QStringLiteral("Nice work, really"));
    EXPECT_TRUE(r.err.contains(QStringLiteral("3 dialogue choices"))) << r.err.toStdString();

    // The saved plugin carries the rewritten prompts as its texts.
    const rCliRun again = f.run({QStringLiteral("--dump")});
    ASSERT_EQ(again.status, 0) << again.err.toStdString();
    const auto q = prompts(again.out);
    EXPECT_TRUE(q.contains(QStringLiteral("[Sarcastic] Nice work, really")));
    EXPECT_TRUE(q.contains(QStringLiteral("Nice work, really")));
    EXPECT_FALSE(q.contains(QStringLiteral("Sarcastic")));
}

TEST(CliDialogue, OldDialogStyleSkipKeepAndRefusals) {
    TCliDialogueFixture f;
    // Entry ids count the text fields in file order: 2 is the prompt "Sarcastic", 4 "Long".
    rCliRun r = f.run({QStringLiteral("--translate"), QStringLiteral("0"), QStringLiteral("4"), QStringLiteral("mine"),
                       QStringLiteral("--old-dialog-style"), QStringLiteral("--long"), QStringLiteral("skip"),
                       QStringLiteral("--limit"), QStringLiteral("75"), QStringLiteral("--keep-changes"),
                       QStringLiteral("--pattern"), QStringLiteral("%DIAL%!"), QStringLiteral("--prefix-words"),
                       QStringLiteral("--dump")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    auto p = prompts(r.out);
    EXPECT_EQ(p.value(QStringLiteral("Sarcastic")), QStringLiteral("Nice work, really!"));
    EXPECT_EQ(p.value(QStringLiteral("Long")), QStringLiteral("mine"));

    // Nothing is selected on the command line: --apply 2 changes nothing.
    r = f.run({QStringLiteral("--translate"), QStringLiteral("0"), QStringLiteral("2"), QStringLiteral("mine"),
               QStringLiteral("--old-dialog-style"), QStringLiteral("--apply"), QStringLiteral("2"),
               QStringLiteral("--dump")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(prompts(r.out).value(QStringLiteral("Sarcastic")), QStringLiteral("mine"));

    EXPECT_EQ(f.run({QStringLiteral("--old-dialog-style")}, {}, QStringLiteral("fr")).status, 1);
    EXPECT_EQ(f.run({QStringLiteral("--old-dialog-style"), QStringLiteral("--long"), QStringLiteral("trim")}).status,
              1);
    EXPECT_EQ(f.run({QStringLiteral("--old-dialog-style"), QStringLiteral("--limit"), QStringLiteral("200")}).status,
              2);
    EXPECT_EQ(f.run({QStringLiteral("--old-dialog-style"), QStringLiteral("extra")}).status, 2);
}

TEST(CliDialogue, ConvertChineseBothWays) {
    TCliDialogueFixture f;
    rCliRun r =
        f.run({QStringLiteral("--translate"), QStringLiteral("0"), QStringLiteral("2"), QStringLiteral("简体中文"),
               QStringLiteral("--convert-chinese"), QStringLiteral("sc-to-tc"), QStringLiteral("--dump")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(prompts(r.out).value(QStringLiteral("Sarcastic")), QStringLiteral("簡體中文"));
    r = f.run({QStringLiteral("--translate"), QStringLiteral("0"), QStringLiteral("2"), QStringLiteral("簡體中文"),
               QStringLiteral("--convert-chinese"), QStringLiteral("tc-to-sc"), QStringLiteral("--dump")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(prompts(r.out).value(QStringLiteral("Sarcastic")), QStringLiteral("简体中文"));
    EXPECT_EQ(f.run({QStringLiteral("--convert-chinese"), QStringLiteral("both")}).status, 1);
    EXPECT_EQ(f.run({QStringLiteral("--convert-chinese")}).status, 2);
}
