// Command line for plugins: the plugin tree as the EspTree page shows it, and one record's structure.
#include "QUILL_cli.h"

#include "core/QUILL_files.h"
#include "plugin/QUILL_espDefinition.h"
#include "plugin/QUILL_recordStruct.h"
#include "workspace/QUILL_wsPlugin.h"

#include <QFileInfo>

namespace {

void printTree(QTextStream& out, const tPluginNode& node, int depth) {
    for (const auto& child : node.children) {
        if (child->hidden) continue;
        out << QString(depth * 2, QLatin1Char(' ')) << child->text() << '\n';
        printTree(out, *child, depth + 1);
    }
}

const TCliCommandRegistrar pluginTreeCommand(
    {QStringLiteral("plugin-tree"),
     QStringLiteral("FILE: open a plugin and print its tree, one node a line, two blanks per depth"),
     [](TCliContext& cli, const QStringList& args) {
         const QStringList files = cliPositional(args);
         if (files.size() != 1) return 2;
         const QString path = QFileInfo(files[0]).absoluteFilePath();
         if (!QFileInfo::exists(path)) {
             cli.ws.app.logMessage(cli.ws.app.uiTextFormat(QStringLiteral("Fbk_FileNotFoundNamed"), {path}));
             return 1;
         }
         if (!cli.ws.openAs("plugin", path, false) || !cli.ws.plugin()) return 1;
         printTree(cli.out, cli.ws.plugin()->tree.root, 0);
         cli.out.flush();
         return 0;
     }});

// A form id as hexadecimal digits, with or without "0x": at most eight digits.
bool parseFormId(QString text, uint32_t& formId) {
    if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) text = text.mid(2);
    if (text.isEmpty() || text.size() > 8) return false;
    bool ok = false;
    formId = text.toUInt(&ok, 16);
    return ok;
}

const TCliCommandRegistrar recordStructCommand(
    {QStringLiteral("record-struct"),
     QStringLiteral("PLUGIN FORMID: open a plugin and print the structure of the record with that form id (hex, with "
                    "or without 0x): its name, then each field's signature and size and its bytes in hex"),
     [](TCliContext& cli, const QStringList& args) {
         TAppContext& app = cli.ws.app;
         const QStringList positional = cliPositional(args);
         uint32_t formId = 0;
         if (positional.size() != 2 || positional.size() != args.size() || !parseFormId(positional[1], formId)) {
             usageError(cli, QStringLiteral("record-struct"));
             return 2;
         }
         const QString path = QFileInfo(positional[0]).absoluteFilePath();
         if (!QFileInfo::exists(path)) {
             app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_FileNotFoundNamed"), {path}));
             return 1;
         }
         // The whole file is read, every field kept, whether the plugin is localized or not: no string tables are
         // needed to look at a record.
         const int localized = getPluginLocalization(app, path);
         if (localized < 0) return 1;
         QByteArray bytes;
         if (QString error; !quillfs::readWholeFile(path, bytes, &error)) {
             app.logMessage(error);
             return 1;
         }
         loadRecordDefinitions(app.state);
         tPluginTree tree;
         if (!loadPluginFile(app, bytes, tree, true, true, localized)) return 1;
         const trecord* record = findRecordByFormId(tree, formId);
         if (!record) {
             app.logMessage(app.uiTextFormat(QStringLiteral("Cli_RecordNotFound"),
                                             {QStringLiteral("%1").arg(formId, 8, 16, QLatin1Char('0')), path}));
             return 1;
         }
         cli.out << recordStructureText(*record) << '\n';
         cli.out.flush();
         return 0;
     }});

} // namespace
