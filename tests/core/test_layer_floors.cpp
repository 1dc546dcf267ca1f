// The floors of the source tree: which folders of src/ may include which, and no Qt Gui or Widgets header below the
// window layer. The test reads the sources, so that a wrong include fails here before it spreads.
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QStringList>
#include <gtest/gtest.h>

namespace {

const QString kSourceDir = QStringLiteral(QUILL_SOURCE_DIR "/src");
const QString kQtHeaders = QStringLiteral(QUILL_QT_HEADERS);

const QStringList kHeadless{QStringLiteral("core"),    QStringLiteral("strings"),    QStringLiteral("plugin"),
                            QStringLiteral("script"),  QStringLiteral("dictionary"), QStringLiteral("aids"),
                            QStringLiteral("display"), QStringLiteral("workspace")};

// The folders a folder may include besides its own. The subsystems stand on core and strings and use one another only
// where the design links them: dictionaries read plugin references, the aids read the vocabulary and the plugin tree.
// The command line (app/cli) is headless too; only the window's main reaches the window layer. The spelling module
// implements the aids' speller over its library, and only the two mains hand it to the workspace.
QStringList allowedFolders(const QString& folder) {
    static const QHash<QString, QStringList> rules{
        {QStringLiteral("core"), {}},
        {QStringLiteral("strings"), {QStringLiteral("core")}},
        {QStringLiteral("plugin"), {QStringLiteral("core"), QStringLiteral("strings")}},
        {QStringLiteral("script"), {QStringLiteral("core"), QStringLiteral("strings")}},
        {QStringLiteral("display"), {QStringLiteral("core"), QStringLiteral("strings")}},
        {QStringLiteral("dictionary"), {QStringLiteral("core"), QStringLiteral("strings"), QStringLiteral("plugin")}},
        {QStringLiteral("aids"),
         {QStringLiteral("core"), QStringLiteral("strings"), QStringLiteral("plugin"), QStringLiteral("dictionary")}},
        {QStringLiteral("workspace"),
         {QStringLiteral("core"), QStringLiteral("strings"), QStringLiteral("plugin"), QStringLiteral("script"),
          QStringLiteral("dictionary"), QStringLiteral("aids"), QStringLiteral("display")}},
        {QStringLiteral("spelling"), {QStringLiteral("core"), QStringLiteral("aids")}},
        {QStringLiteral("ui"), kHeadless},
        {QStringLiteral("app/cli"), kHeadless},
        {QStringLiteral("app"), kHeadless + QStringList{QStringLiteral("ui"), QStringLiteral("spelling")}},
    };
    return rules.value(folder);
}

// The floor a source file stands on: its top folder below src/, or app/cli.
QString floorOf(const QString& relativePath) {
    if (relativePath.startsWith(QLatin1String("app/cli/"))) return QStringLiteral("app/cli");
    return relativePath.section(QLatin1Char('/'), 0, 0);
}

// A header of Qt's Gui or Widgets module (and not of Core), by the folder Qt keeps it in.
bool isGuiHeader(const QString& header) {
    if (header == QLatin1String("QtGui") || header == QLatin1String("QtWidgets")) return true;
    if (header.startsWith(QLatin1String("QtGui/")) || header.startsWith(QLatin1String("QtWidgets/"))) return true;
    if (QFileInfo::exists(kQtHeaders + QStringLiteral("/QtCore/") + header)) return false;
    return QFileInfo::exists(kQtHeaders + QStringLiteral("/QtGui/") + header) ||
           QFileInfo::exists(kQtHeaders + QStringLiteral("/QtWidgets/") + header);
}

// Why `file` (relative to src/) may not include `target`, or empty when it may. Quoted includes naming a folder of
// src/ are checked against the rules; other quoted ones are the file's neighbours (a path climbing out with ".." is
// refused); angled ones only for Qt's Gui and Widgets headers below the window layer.
QString floorBroken(const QString& file, const QString& target, bool angled) {
    const QString floor = floorOf(file);
    if (angled) {
        const bool windowed = floor == QLatin1String("ui") || floor == QLatin1String("app");
        return !windowed && isGuiHeader(target) ? QStringLiteral("a Qt Gui or Widgets header below the window layer")
                                                : QString();
    }
    if (target.contains(QLatin1String(".."))) return QStringLiteral("a path that climbs out of its folder");
    const QString folder = target.section(QLatin1Char('/'), 0, 0);
    if (!target.contains(QLatin1Char('/')) || !QFileInfo(kSourceDir + QLatin1Char('/') + folder).isDir())
        return {}; // a neighbour (app's "cli/..." included from src/app as well)
    if (folder == floor.section(QLatin1Char('/'), 0, 0) && floor != QLatin1String("app/cli")) return {};
    if (floor == QLatin1String("app/cli") && folder == QLatin1String("app")) return {};
    return allowedFolders(floor).contains(folder) ? QString()
                                                  : QStringLiteral("%1 may not include %2").arg(floor, folder);
}

struct rInclude {
    QString file; // relative to src/
    int line = 0;
    QString target;
    bool angled = false;
};

std::vector<rInclude> sourceIncludes(int& files) {
    static const QRegularExpression include(QStringLiteral(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])"));
    std::vector<rInclude> out;
    files = 0;
    QDirIterator it(kSourceDir, {QStringLiteral("*.h"), QStringLiteral("*.cpp")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) continue;
        ++files;
        const QString relative = path.mid(kSourceDir.size() + 1);
        int line = 0;
        while (!f.atEnd()) {
            ++line;
            const QRegularExpressionMatch m = include.match(QString::fromUtf8(f.readLine()));
            if (m.hasMatch()) out.push_back({relative, line, m.captured(2), m.captured(1) == QLatin1String("<")});
        }
    }
    return out;
}

} // namespace

TEST(LayerFloors, EveryIncludeOfTheSourcesKeepsTheFloors) {
    ASSERT_TRUE(QFileInfo::exists(kQtHeaders + QStringLiteral("/QtGui/QColor"))) << kQtHeaders.toStdString();
    int files = 0;
    const std::vector<rInclude> includes = sourceIncludes(files);
    EXPECT_GT(files, 150);
    EXPECT_GT(includes.size(), 1000u);
    QStringList broken;
    for (const rInclude& i : includes)
        if (const QString why = floorBroken(i.file, i.target, i.angled); !why.isEmpty())
            broken << QStringLiteral("src/%1:%2 includes %3: %4").arg(i.file).arg(i.line).arg(i.target, why);
    EXPECT_TRUE(broken.isEmpty()) << broken.join(QLatin1Char('\n')).toStdString();
}

TEST(LayerFloors, TheRulesRefuseWhatBreaksAFloor) {
    const auto refused = [](const char* file, const char* target, bool angled = false) {
        return !floorBroken(QLatin1String(file), QLatin1String(target), angled).isEmpty();
    };
    EXPECT_TRUE(refused("core/QUILL_files.cpp", "strings/QUILL_hash.h"));
    EXPECT_TRUE(refused("strings/QUILL_bsa.cpp", "plugin/QUILL_espTree.h"));
    EXPECT_TRUE(refused("script/QUILL_pexReader.cpp", "plugin/QUILL_espTree.h"));
    EXPECT_TRUE(refused("plugin/QUILL_espTree.cpp", "dictionary/QUILL_dictionary.h"));
    EXPECT_TRUE(refused("aids/QUILL_search.cpp", "workspace/QUILL_workspace.h"));
    EXPECT_TRUE(refused("workspace/QUILL_workspace.cpp", "ui/QUILL_mainWindow.h"));
    EXPECT_TRUE(refused("ui/QUILL_mainWindow.cpp", "app/cli/QUILL_cli.h"));
    EXPECT_TRUE(refused("app/cli/QUILL_cliAids.cpp", "ui/QUILL_mainWindow.h"));
    EXPECT_TRUE(refused("core/QUILL_files.cpp", "../ui/QUILL_mainWindow.h"));
    EXPECT_TRUE(refused("aids/QUILL_search.cpp", "QColor", true));
    EXPECT_TRUE(refused("workspace/QUILL_workspace.h", "QtWidgets/QWidget", true));
    EXPECT_TRUE(refused("app/cli/QUILL_cliAids.cpp", "QtGui", true));

    EXPECT_FALSE(refused("core/QUILL_files.cpp", "core/QUILL_main.h"));
    EXPECT_FALSE(refused("dictionary/QUILL_xml.cpp", "plugin/QUILL_espTree.h"));
    EXPECT_FALSE(refused("aids/QUILL_heuristic.cpp", "dictionary/QUILL_vocabulary.h"));
    EXPECT_FALSE(refused("workspace/QUILL_wsAids.cpp", "aids/QUILL_search.h"));
    EXPECT_FALSE(refused("ui/QUILL_mainWindow.cpp", "workspace/QUILL_workspace.h"));
    EXPECT_FALSE(refused("app/main_gui.cpp", "ui/QUILL_mainWindow.h"));
    EXPECT_FALSE(refused("app/cli/QUILL_cliAids.cpp", "QUILL_cli.h"));
    EXPECT_FALSE(refused("core/QUILL_files.cpp", "QString", true));
    EXPECT_FALSE(refused("ui/QUILL_mainWindow.cpp", "QWidget", true));
}
