// The command line on file systems that refuse: a full disk under every document kind's save, a read-only program
// folder and game folder, and a pipe named as the save-as target. The disks are small tmpfs mounted in a mount
// namespace of the test's own (skipped, with a message, where the machine allows none).
#include "cli_runner.h"
#include "temp_program_dir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Runs `script` with sh in a private mount namespace (as root, or as a user mapped to root where user namespaces are
// allowed), its arguments after it. The exit status, or -1 when no namespace could be made.
int runWithPrivateMounts(const QString& script, const QStringList& args) {
    for (const QStringList& unshare : {QStringList{"-m"}, QStringList{"-r", "-m"}}) {
        if (QProcess::execute("unshare", unshare + QStringList{"true"}) != 0) continue;
        QProcess p;
        p.start("unshare", unshare + QStringList{"sh", "-c", script, "sh"} + args);
        if (!p.waitForFinished(300000)) return -1;
        return p.exitCode();
    }
    return -1;
}

// Mounts a tmpfs of `size` on $1 and copies the program's data (with the samples) into it.
const char* const kMountProgramDir = R"(
D="$1"; DATA="$2"; CLI="$3"; OUT="$4"
mount -t tmpfs -o size=SIZE tmpfs "$D" || exit 77
cp -r "$DATA"/. "$D"/ || exit 78
mkdir -p "$D/UserDictionary/Backup" "$D/Cache"
sums() { (cd "$D" && find . -type f ! -name filler | LC_ALL=C sort | xargs md5sum); }
run() { name="$1"; shift; "$CLI" --program-dir "$D" "$@" > "$OUT/$name.out" 2> "$OUT/$name.err"; echo "$name $?" >> "$OUT/status"; }
)";

struct TMountRun {
    QTemporaryDir out;
    QTemporaryDir mountPoint;
    int status = -1;
    explicit TMountRun(const QString& size, const QString& body) {
        const QString script =
            QString::fromLatin1(kMountProgramDir).replace("SIZE", size) + body + QStringLiteral("\numount \"$D\"\n");
        status = runWithPrivateMounts(script, {mountPoint.path(), QStringLiteral(QUILL_DATA_DIR),
                                               QStringLiteral(QUILL_BIN_DIR) + "/quillery-cli", out.path()});
    }
    bool skipped() const { return status == -1 || status == 77; }
    QString text(const QString& name) const { return QString::fromUtf8(fileBytes(out.filePath(name))); }
    // "<run> <status>" lines as a map.
    QMap<QString, int> statuses() const {
        QMap<QString, int> map;
        for (const QString& line : text("status").split('\n', Qt::SkipEmptyParts))
            map.insert(line.section(' ', 0, 0), line.section(' ', 1).toInt());
        return map;
    }
};

} // namespace

// A save onto a full disk fails with the system's reason and status 1, says nothing of "Saved", and leaves every
// file as it was (no empty file, no backup, no temporary file): plugin, script, menu file, table set, dictionary.
TEST(CliFileSystems, EveryDocumentKindFailsToSaveOntoAFullDisk) {
    const TMountRun run(QStringLiteral("2m"), QStringLiteral(R"(
cp "$D/samples/Interface/Translations/QuillerySample_en.txt" "$D/samples/Interface/Translations/QuillerySample_FR.txt"
dd if=/dev/zero of="$D/filler" bs=4k 2> /dev/null
sums > "$OUT/before"
run plugin --yes "$D/samples/QuillerySample.esp" --save
run script --yes "$D/samples/QuillerySample.pex" --save
run menu --yes --dest fr "$D/samples/Interface/Translations/QuillerySample_en.txt" --save
run tables --yes --dest en "$D/samples/QuillerySampleLocalized.esp" --save
run dictionary --yes "$D/samples/QuillerySample.esp" --translate 0 1 Bienvenue --save-dictionary
sums > "$OUT/after"
find "$D" -name '.*.tmp' > "$OUT/temporaries"
)"));
    if (run.skipped()) GTEST_SKIP() << "no private mount namespace here (unshare -m or -r -m), so no tmpfs to fill";
    ASSERT_EQ(run.status, 0);
    const QMap<QString, int> statuses = run.statuses();
    ASSERT_EQ(statuses.size(), 5) << run.text("status").toStdString();
    const QString full = QString::fromStdString(std::make_error_code(std::errc::no_space_on_device).message());
    for (auto it = statuses.begin(); it != statuses.end(); ++it) {
        const QString err = run.text(it.key() + ".err");
        EXPECT_EQ(it.value(), 1) << it.key().toStdString() << "\n" << err.toStdString();
        EXPECT_FALSE(err.contains("Saved:")) << it.key().toStdString() << "\n" << err.toStdString();
        EXPECT_TRUE(err.contains(full, Qt::CaseInsensitive)) << it.key().toStdString() << "\n" << err.toStdString();
    }
    EXPECT_EQ(run.text("after"), run.text("before"));
    EXPECT_EQ(run.text("temporaries"), QString());
}

// Files the user may read but not write are read: string tables of a game installed read-only and the UI texts of a
// read-only program folder.
TEST(CliFileSystems, AReadOnlyProgramFolderAndTablesAreRead) {
    const TMountRun run(QStringLiteral("4m"), QStringLiteral(R"(
mount -o remount,ro "$D" || exit 77
run dump --yes "$D/samples/strings/QuillerySampleLocalized_en.STRINGS" --dump
run save --yes --dest en "$D/samples/strings/QuillerySampleLocalized_en.STRINGS" --save
)"));
    if (run.skipped()) GTEST_SKIP() << "no private mount namespace here (unshare -m or -r -m), so no read-only mount";
    ASSERT_EQ(run.status, 0);
    const QMap<QString, int> statuses = run.statuses();
    EXPECT_EQ(statuses.value("dump"), 0) << run.text("dump.err").toStdString();
    EXPECT_GE(run.text("dump.out").count('\n'), 5);
    // The log speaks English, not UI text keys.
    EXPECT_TRUE(run.text("dump.err").contains("Reading")) << run.text("dump.err").toStdString();
    EXPECT_FALSE(run.text("dump.err").contains("Fbk_")) << run.text("dump.err").toStdString();
    // Writing there is what fails, with the system's reason.
    EXPECT_EQ(statuses.value("save"), 1);
    const QString readOnly = QString::fromStdString(std::make_error_code(std::errc::read_only_file_system).message());
    EXPECT_TRUE(run.text("save.err").contains(readOnly, Qt::CaseInsensitive)) << run.text("save.err").toStdString();
}

// A pipe where the document is saved as is refused at once: the write never waits for a reader.
TEST(CliFileSystems, SaveAsOntoAPipeFailsAtOnce) {
    TTempProgramDir dir;
    const QString fifo = dir.file("out.esp");
    if (QProcess::execute("mkfifo", {fifo}) != 0) GTEST_SKIP() << "mkfifo is not available";
    const rCliRun r = runQuilleryCli(
        {"--program-dir", dir.path(), "--yes", dir.file("samples/QuillerySample.esp"), "--save-as", fifo}, 20000);
    EXPECT_EQ(r.status, 1) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("not a regular file")) << r.err.toStdString();
    EXPECT_FALSE(QFileInfo(fifo).isFile());
}
