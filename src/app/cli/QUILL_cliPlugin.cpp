// Command line for plugins: the plugin tree as the EspTree page shows it.
#include "QUILL_cli.h"

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
         if (!cli.ws.openPlugin(path, false) || !cli.ws.plugin()) return 1;
         printTree(cli.out, cli.ws.plugin()->tree.root, 0);
         cli.out.flush();
         return 0;
     }});

} // namespace
