// The sources build on Windows and on Linux: calls and headers of one system only stay in the two platform files.
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextStream>
#include <gtest/gtest.h>
#include <utility>

namespace {

// POSIX-only and Windows-only headers and calls. Paths go through Qt or std::filesystem instead.
const QRegularExpression& systemOnly() {
    static const QRegularExpression pattern(QStringLiteral(
        R"(#\s*include\s*<(unistd|pwd|grp|dirent|fcntl|signal|termios|dlfcn|windows|io|direct|shlobj)\.h>)"
        R"(|#\s*include\s*<sys/|/proc/)"
        R"(|\b(fork|vfork|execv|execvp|execl|waitpid|getuid|geteuid|getpid|getpwuid|fsync|fdatasync)"
        R"(|chmod|chown|symlink|readlink|realpath|mkstemp|popen|pclose|_setmode|_commit|_fileno)"
        R"(|GetModuleFileName\w*|SHGetFolderPath\w*)\s*\()"
        R"(|\bS_IS[A-Z]+\b)"));
    return pattern;
}

bool isPlatformFile(const QString& name) {
    return name.startsWith(QLatin1String("QUILL_platform.")) || name.startsWith(QLatin1String("QUILL_cliPlatform."));
}

// "file:line: text" of every suspect line of the source files under `folder`, the platform files left out.
QStringList suspects(const QString& folder) {
    QStringList found;
    QDirIterator it(folder, {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (isPlatformFile(it.fileName())) continue;
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) continue;
        QTextStream in(&file);
        for (int number = 1; !in.atEnd(); ++number) {
            const QString line = in.readLine();
            const QString code = line.left(line.indexOf(QLatin1String("//"))); // comments may name anything
            if (systemOnly().match(code).hasMatch())
                found.append(QStringLiteral("%1:%2: %3").arg(path).arg(number).arg(line.trimmed()));
        }
    }
    return found;
}

} // namespace

TEST(Portability, SystemCallsStayInThePlatformFiles) {
    const QString sources = QStringLiteral(QUILL_SOURCE_DIR) + QStringLiteral("/src");
    ASSERT_TRUE(QDir(sources).exists());
    const QStringList found = suspects(sources);
    EXPECT_TRUE(found.isEmpty()) << found.join(QLatin1Char('\n')).toStdString();

    // The scan sees what it looks for, and lets the platform files and comments be.
    QTemporaryDir probe;
    for (const auto& [name, text] : {std::pair{"a.cpp", "#include <unistd.h>\n"},
                                     {"b.h", "if (S_ISDIR(m)) {}\n"},
                                     {"c.cpp", "pid_t p = fork();\n"},
                                     {"d.cpp", "QFile f(\"/proc/self/exe\");\n"},
                                     {"e.cpp", "uid_t u = getuid();\n"},
                                     {"f.cpp", "// no fork() here\n"},
                                     {"QUILL_platform.cpp", "#include <unistd.h>\n"},
                                     {"g.cpp", "forkJoin(x);\n"}}) {
        QFile f(probe.filePath(QLatin1String(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    const QStringList hits = suspects(probe.path());
    EXPECT_EQ(hits.size(), 5) << hits.join(QLatin1Char('\n')).toStdString();
    for (const char* name : {"a.cpp", "b.h", "c.cpp", "d.cpp", "e.cpp"})
        EXPECT_EQ(hits.filter(QLatin1String(name)).size(), 1) << name;
}
