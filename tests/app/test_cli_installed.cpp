// The command line run from an installed layout: the shipped data read, the user's files written in the user's
// folder and nowhere else, and --program-dir still putting everything in one folder.
#include "cli_runner.h"
#include "installed_layout.h"
#include "temp_program_dir.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>

TEST(CliInstalled, OpensTheShippedSampleAndSavesItsDictionaryInTheUsersFolder) {
    TInstalledLayout layout(true);
    const QStringList before = layout.shippedSnapshot();
    const QString sample = layout.shippedFolder() + QStringLiteral("samples/QuillerySample.esp");
    auto run = [&layout](const QStringList& args) {
        QProcess p;
        p.start(layout.binFolder() + QStringLiteral("quillery-cli"), args);
        p.waitForFinished(120000);
        return rCliRun{p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                       QString::fromUtf8(p.readAllStandardOutput()),
                       QString::fromUtf8(p.readAllStandardError()),
                       {}};
    };
    const rCliRun r = run({sample, QStringLiteral("--save-dictionary")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("Installed program: data read from ") +
                               QDir::toNativeSeparators(layout.shippedFolder())))
        << r.err.toStdString();
    EXPECT_TRUE(QFileInfo::exists(layout.userFolder() + QStringLiteral("UserDictionary/quillerysample_en_fr.sst")));
    EXPECT_TRUE(QFileInfo(layout.userFolder() + QStringLiteral("Cache")).isDir());
    EXPECT_EQ(layout.shippedSnapshot(), before);
    EXPECT_EQ(QDir(layout.binFolder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("quillery-cli")});

    // --program-dir keeps its meaning: everything in that folder, whatever the program's own folder is.
    TTempProgramDir dir;
    const rCliRun portable =
        run({QStringLiteral("--program-dir"), dir.path(), sample, QStringLiteral("--save-dictionary")});
    ASSERT_EQ(portable.status, 0) << portable.err.toStdString();
    // The folder was named on the command line: the log does not repeat it.
    EXPECT_FALSE(portable.err.contains(QStringLiteral("Portable program folder")));
    EXPECT_FALSE(portable.err.contains(QStringLiteral("Installed program")));
    EXPECT_TRUE(QFileInfo::exists(dir.file(QStringLiteral("UserDictionary/quillerysample_en_fr.sst"))));
    EXPECT_EQ(layout.shippedSnapshot(), before);
}
