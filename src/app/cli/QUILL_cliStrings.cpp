// Command-line commands of the string tables' area: archive-read, build-cache and dump-cache.
#include "QUILL_cli.h"
#include "QUILL_cliPlatform.h"

#include "core/QUILL_error.h"
#include "dictionary/QUILL_cache.h"
#include "strings/QUILL_archive.h"
#include "workspace/QUILL_wsStrings.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonObject>

namespace {

const TCliCommandRegistrar archiveRead(
    {QStringLiteral("archive-read"),
     QStringLiteral("ARCHIVE FOLDER FILENAME: write the file's bytes to standard output (exit 1 when not found)"),
     [](TCliContext& cli, const QStringList& args) {
         TAppContext& app = cli.ws.app;
         if (args.size() != 3) {
             usageError(cli, QStringLiteral("archive-read"));
             return 2;
         }
         const QString& archivePath = args[0];
         try {
             TModArchives archive(archivePath);
             QByteArray bytes;
             const bool found = archive.read(args[1], args[2], bytes);
             if (!archive.errors().isEmpty()) throw TQuillError(archive.errors().constFirst());
             if (!found) {
                 app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_ArchiveNotFound"),
                                                 {args[1] + QLatin1Char('\\') + args[2], archivePath}));
                 return 1;
             }
             cli.out.flush();
             return writeStdoutBinary(bytes) ? 0 : 1;
         } catch (const TQuillError& e) {
             app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_ArchiveError"), {e.message()}));
             return 1;
         }
     }});

const TCliCommandRegistrar
    buildCache({QStringLiteral("build-cache"),
                QStringLiteral("[--strings-folder DIR]: build the vocabulary caches of "
                               "vocabulary.txt into the program's Cache folder"),
                [](TCliContext& cli, const QStringList& args) {
                    const QString folder = cliStringOption(args, QStringLiteral("--strings-folder"));
                    if (!cliPositional(args).isEmpty() ||
                        (args.contains(QStringLiteral("--strings-folder")) && folder.isEmpty())) {
                        usageError(cli, QStringLiteral("build-cache"));
                        return 2;
                    }
                    // A cache that could not be written is a failed step, not "done".
                    int failed = 0;
                    return buildCacheCommand(cli.ws, folder, &failed) >= 0 && failed == 0 ? 0 : 1;
                }});

const TCliCommandRegistrar dumpCache(
    {QStringLiteral("dump-cache"),
     QStringLiteral("FILE.cache: print the pairs a cache loads, one JSON object a line (list, source, translation)"),
     [](TCliContext& cli, const QStringList& args) {
         if (args.size() != 1) {
             usageError(cli, QStringLiteral("dump-cache"));
             return 2;
         }
         TAppContext& app = cli.ws.app;
         tListSet lists;
         int counter = 0;
         if (!QFileInfo::exists(args[0])) {
             app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_FileNotFoundNamed"), {args[0]}));
             return 1;
         }
         const bool ok = loadCache(app, QFileInfo(args[0]).absoluteFilePath(), lists, nullptr, counter, 0);
         for (const auto& list : lists)
             for (const auto& entry : list) {
                 QJsonObject o;
                 o.insert(QStringLiteral("list"), entry->listIndex);
                 o.insert(QStringLiteral("source"), entry->gS);
                 o.insert(QStringLiteral("translation"), entry->gTrans);
                 cli.out << jsonLine(o) << '\n';
             }
         cli.out.flush();
         // A damaged cache was reported by the reader; a file that is no cache at all is reported here.
         if (!ok && counter == 0 && countListSet(lists) == 0)
             app.logMessage(app.uiTextFormat(QStringLiteral("FbK_CacheLoadError"), {args[0]}));
         return ok ? 0 : 1;
     }});

} // namespace
