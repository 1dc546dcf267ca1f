// Runs the built quillery-cli for command-line tests.
#pragma once

#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

struct rCliRun {
    int status;
    QString out;
    QString err;
    QByteArray outBytes; // standard output as written (for commands that print file bytes)
};

inline rCliRun runQuilleryCli(const QStringList& args, int timeoutMs = 120000) {
    QProcess p;
    p.start(QStringLiteral(QUILL_BIN_DIR) + "/quillery-cli", args);
    p.waitForFinished(timeoutMs);
    const QByteArray out = p.readAllStandardOutput();
    return {p.exitCode(), QString::fromUtf8(out), QString::fromUtf8(p.readAllStandardError()), out};
}

inline rCliRun runCli(const QStringList& args) {
    return runQuilleryCli(args);
}
