// Temporary installed layouts for tests.
#include "installed_layout.h"

#include "temp_program_dir.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

TInstalledLayout::TInstalledLayout(bool withCli) {
    hadDataHome_ = qEnvironmentVariableIsSet("XDG_DATA_HOME");
    savedDataHome_ = qgetenv("XDG_DATA_HOME");
    QDir().mkpath(binFolder());
    QDir().mkpath(dataHome());
    copyTree(QStringLiteral(QUILL_DATA_DIR), shippedFolder());
    if (withCli) {
        const QString cli = binFolder() + QStringLiteral("quillery-cli");
        QFile::copy(QStringLiteral(QUILL_BIN_DIR) + QStringLiteral("/quillery-cli"), cli);
        QFile::setPermissions(cli, QFile::permissions(cli) | QFileDevice::ExeOwner);
    }
    setShippedWritable(false);
    qputenv("XDG_DATA_HOME", QDir::toNativeSeparators(dataHome()).toLocal8Bit());
}

TInstalledLayout::~TInstalledLayout() {
    setShippedWritable(true); // so that the temporary folder can be removed
    if (hadDataHome_)
        qputenv("XDG_DATA_HOME", savedDataHome_);
    else
        qunsetenv("XDG_DATA_HOME");
}

rAppFolders TInstalledLayout::folders() const {
    return decideAppFolders(binFolder(), userFolder());
}

void TInstalledLayout::setShippedWritable(bool writable) const {
    const auto write = QFileDevice::WriteOwner | QFileDevice::WriteUser;
    QDirIterator it(shippedFolder(), QDir::AllEntries | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    QStringList paths{shippedFolder()};
    while (it.hasNext())
        paths.append(it.next());
    for (const QString& path : paths) {
        const auto permissions = QFile::permissions(path);
        QFile::setPermissions(path, writable ? permissions | write : permissions & ~write);
    }
}

QStringList TInstalledLayout::shippedSnapshot() const {
    QStringList out;
    QDirIterator it(root() + QStringLiteral("share"), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        out.append(QStringLiteral("%1 %2 %3")
                       .arg(info.filePath())
                       .arg(info.size())
                       .arg(info.lastModified().toMSecsSinceEpoch()));
    }
    out.sort();
    return out;
}

QString TInstalledLayout::writeUserFile(const QString& relative, const QByteArray& bytes) const {
    const QString target = userFolder() + relative;
    QDir().mkpath(QFileInfo(target).path());
    QFile f(target);
    if (f.open(QIODevice::WriteOnly)) f.write(bytes);
    return target;
}
