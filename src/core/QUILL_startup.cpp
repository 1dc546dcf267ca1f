// Start-up of the headless core.
#include "core/QUILL_startup.h"

#include "core/QUILL_files.h"
#include "core/QUILL_main.h"

#include <QDir>
#include <QFile>
#include <QTextStream>

namespace {

void loadUiTable(TUiTextTable& table, const QString& path) {
    QByteArray bytes;
    if (!quillfs::readWholeFile(path, bytes)) return;
    const QString text = QString::fromUtf8(bytes);
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        QString l = line;
        if (l.endsWith(QLatin1Char('\r'))) l.chop(1);
        if (l.trimmed().startsWith(QLatin1Char('#'))) continue;
        table.addLine(l);
    }
}

} // namespace

void startApplication(TAppContext& app, const QString& programFolder) {
    TAppState& st = app.state;
    st.programFolder = quillfs::withTrailingSeparator(programFolder);
    st.cacheFolder = st.programFolder + QStringLiteral("Cache/");
    st.userDictionaryFolder = st.programFolder + QStringLiteral("UserDictionary/");
    st.dictionaryBackupFolder = st.userDictionaryFolder + QStringLiteral("Backup/");
    st.batchFolder = st.programFolder + QStringLiteral("batch/");
    st.miscFolder = st.programFolder + QStringLiteral("misc/");
    st.XMLFolder = st.programFolder;
    QDir().mkpath(st.cacheFolder);
    QDir().mkpath(st.dictionaryBackupFolder);
    st.resFolder = st.programFolder + QStringLiteral("res/") + st.UILang + QLatin1Char('/');
    const QString res = quillfs::findFileNoCase(st.programFolder, QStringLiteral("res/") + st.UILang + "/Res.ini");
    loadUiTable(app.texts, res);
    const QString fallback = quillfs::findFileNoCase(st.programFolder, QStringLiteral("res/english/Res.ini"));
    if (fallback != res) loadUiTable(app.texts, fallback);
}
