// The bundled script and menu samples are the output of their generators. Run with QUILL_REGENERATE_SAMPLES=1 to
// write them again into data/samples after changing a generator.
#include "script_test_support.h"
#include "support/pex_builder.h"

#include "script/QUILL_menuFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

void checkSample(const QString& relative, const QByteArray& generated) {
    const QString path = QStringLiteral(QUILL_DATA_DIR "/samples/") + relative;
    if (qEnvironmentVariableIsSet("QUILL_REGENERATE_SAMPLES")) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(generated);
    }
    QFile in(path);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly)) << path.toStdString();
    EXPECT_EQ(in.readAll(), generated) << relative.toStdString();
}

} // namespace

TEST(ScriptSamples, BundledFilesMatchTheirGenerators) {
    checkSample(QStringLiteral("QuillerySample.pex"), buildSampleScript(3, 9));
    checkSample(QStringLiteral("Interface/Translations/QuillerySample_en.txt"), buildSampleMenuFile());
}

TEST(ScriptSamples, BundledScriptReadsWholeAndWritesBackIdentical) {
    QFile f(QStringLiteral(QUILL_DATA_DIR "/samples/QuillerySample.pex"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    TParsedScript p(bytes);
    ASSERT_TRUE(p.ok);
    EXPECT_TRUE(p.pex.bodyError.isEmpty());
    EXPECT_EQ(buildPexBytes(p.pex, p.texts()), bytes);
    EXPECT_EQ(parseMenuText(decodeMenuBytes(buildSampleMenuFile())).size(), 6u);
}
