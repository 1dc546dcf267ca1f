// Command-line steps of the dictionaries and passes (--exact, --apply-dictionary, --load-strings-as-dest,
// --import-xml, --export-xml, --save-dictionary) and the dump-dictionary command.
#include "QUILL_cli.h"

#include "core/QUILL_files.h"
#include "dictionary/QUILL_dictionary.h"
#include "workspace/QUILL_wsDictionary.h"

#include <QFileInfo>
#include <QJsonObject>

namespace {

// Reads "--name N" within [0, maximum]; the fallback when absent. False on a bad value.
bool boundedOption(const QStringList& args, const QString& name, int maximum, int& value) {
    bool ok = true;
    value = cliIntOption(args, name, value, &ok);
    return ok && value >= 0 && value <= maximum;
}

const TCliStepRegistrar exactStep({QStringLiteral("--exact"),
                                   QStringLiteral("exact translation from the vocabulary (\"Trans_Exact\")"),
                                   TCliSyntax{0, 0, {}, true}, [](TCliContext& cli, const QStringList&) {
                                       translateExact(cli.ws);
                                       return true;
                                   }});

const TCliStepRegistrar applyStep(
    {QStringLiteral("--apply-dictionary"),
     QStringLiteral("NAME [--filter 0-4] [--mode 0-1]: apply a user dictionary of the vocabulary"),
     TCliSyntax{1, 1, {cliInteger(QStringLiteral("--filter"), 0, 4), cliInteger(QStringLiteral("--mode"), 0, 1)}, true},
     [](TCliContext& cli, const QStringList& args) {
         TVocabularyState& vs = vocabularyState(cli.ws);
         const QStringList names = cliPositional(args);
         int filter = vs.overwriteChoice;
         int mode = vs.applyMode;
         if (names.size() != 1 || !boundedOption(args, QStringLiteral("--filter"), 4, filter) ||
             !boundedOption(args, QStringLiteral("--mode"), 1, mode))
             return usageError(cli, QStringLiteral("--apply-dictionary"));
         const QString name = names[0].toLower();
         rVocabularyNode* node = findDictionaryNode(cli.ws, name, false);
         // A dictionary switched off in the preferences is switched on for this run.
         if (node && (!node->checked || !node->folder->fparams.has(sFdrParam::fdrLoaded))) {
             node->folder->fparams.clear(sFdrParam::fdrLocked);
             vs.vocab.setChecked(*node, true, cli.ws.app.state);
             loadVocabulary(cli.ws);
         }
         if (!focusDictionaryNode(cli.ws, name) ||
             !vs.vocab.nodes[vs.focusedNode].folder->fparams.has(sFdrParam::fdrLoaded)) {
             cli.ws.app.logMessage(cli.ws.app.uiTextFormat(QStringLiteral("Fbk_DictionaryNotFound"), {names[0]}));
             return false;
         }
         cli.host.presetChoices.insert(QStringLiteral("TForm12"), filter);
         vs.applyMode = mode;
         return applySelectedDictionary(cli.ws);
     }});

const TCliStepRegistrar stringsAsDestStep(
    {QStringLiteral("--load-strings-as-dest"),
     QStringLiteral("PATH [--filter 0-4]: take the translations from string tables of the destination language"),
     TCliSyntax{1, 1, {cliInteger(QStringLiteral("--filter"), 0, 4)}, true},
     [](TCliContext& cli, const QStringList& args) {
         const QStringList paths = cliPositional(args);
         int filter = vocabularyState(cli.ws).overwriteChoice;
         if (paths.size() != 1 || !boundedOption(args, QStringLiteral("--filter"), 4, filter))
             return usageError(cli, QStringLiteral("--load-strings-as-dest"));
         cli.host.presetChoices.insert(QStringLiteral("TForm6"), filter);
         return loadStringsAsDest(cli.ws, QFileInfo(paths[0]).absoluteFilePath());
     }});

const TCliStepRegistrar importStep({QStringLiteral("--import-xml"),
                                    QStringLiteral("PATH: import translations from an XML exchange file"),
                                    TCliSyntax{1, 1, {}, true}, [](TCliContext& cli, const QStringList& args) {
                                        const QStringList paths = cliPositional(args);
                                        if (paths.size() != 1) return usageError(cli, QStringLiteral("--import-xml"));
                                        return importXmlFile(cli.ws, QFileInfo(paths[0]).absoluteFilePath());
                                    }});

const TCliStepRegistrar exportStep({QStringLiteral("--export-xml"),
                                    QStringLiteral("PATH: export the translations as an XML exchange file"),
                                    TCliSyntax{1, 1, {}, false}, [](TCliContext& cli, const QStringList& args) {
                                        const QStringList paths = cliPositional(args);
                                        if (paths.size() != 1) return usageError(cli, QStringLiteral("--export-xml"));
                                        return exportXmlFile(cli.ws, QFileInfo(paths[0]).absoluteFilePath());
                                    }});

const TCliStepRegistrar saveStep({QStringLiteral("--save-dictionary"),
                                  QStringLiteral("save the document's dictionary (\"Save_SST\")"), TCliSyntax{},
                                  [](TCliContext& cli, const QStringList&) {
                                      if (cli.ws.customDictionary()) return cli.ws.saveCustomDictionary();
                                      return cli.ws.saveDocumentDictionary();
                                  }});

const TCliCommandRegistrar dumpCommand(
    {QStringLiteral("dump-dictionary"), QStringLiteral("FILE.sst: print every record as one JSON object a line"),
     [](TCliContext& cli, const QStringList& args) {
         if (args.size() != 1) return 2;
         TAppContext& app = cli.ws.app;
         QByteArray data;
         QString error;
         if (!quillfs::readWholeFile(args[0], data, &error)) {
             app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_FileNotFoundNamed"), {args[0]}));
             return 1;
         }
         try {
             const int version = quilldict::parseDictionary(data, [&](const quilldict::rDictionaryRecord& r) {
                 QJsonObject o;
                 o.insert(QStringLiteral("list"), r.listIndex);
                 o.insert(QStringLiteral("id"), static_cast<qint64>(r.stringID));
                 o.insert(QStringLiteral("formid"), static_cast<qint64>(r.formID));
                 o.insert(QStringLiteral("field"), r.fName.toString());
                 o.insert(QStringLiteral("index"), r.index);
                 o.insert(QStringLiteral("indexmax"), r.indexMax);
                 o.insert(QStringLiteral("edidhash"), static_cast<qint64>(r.edidHash));
                 o.insert(QStringLiteral("flags"), r.flags);
                 o.insert(QStringLiteral("source"), r.source);
                 o.insert(QStringLiteral("translation"), r.translation);
                 cli.out << jsonLine(o) << '\n';
             });
             cli.out.flush();
             if (version == 0) {
                 app.logMessage(app.uiTextFormat(QStringLiteral("FbK_SSTLoadError"),
                                                 {QFileInfo(args[0]).fileName(), QStringLiteral("magic")}));
                 return 1;
             }
         } catch (const TQuillError& e) {
             cli.out.flush();
             app.logMessage(
                 app.uiTextFormat(QStringLiteral("FbK_SSTLoadError"), {QFileInfo(args[0]).fileName(), e.message()}));
             return 1;
         }
         return 0;
     }});

} // namespace
