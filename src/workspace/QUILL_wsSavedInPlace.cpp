// Finding a plugin saved in place, offering its original, and the note after such a save.
#include "workspace/QUILL_wsSavedInPlace.h"

#include "core/QUILL_cursor.h"
#include "core/QUILL_error.h"
#include "core/QUILL_files.h"
#include "core/QUILL_helpers.h"
#include "dictionary/QUILL_dictionary.h"
#include "plugin/QUILL_espDefinition.h"
#include "plugin/QUILL_espReader.h"
#include "plugin/QUILL_espTree.h"
#include "strings/QUILL_backup.h"
#include "workspace/QUILL_workspace.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

namespace {

// The translated entries of a plugin's own dictionary (translation and source differ): their translations and sources
// (a text left untranslated reads the same in the original and in a translation). The dictionary is the one named
// after the plugin, or after it and the hash of its texts.
struct rOwnDictionary {
    QSet<QString> sources;
    QSet<QString> translations;
    bool empty() const { return translations.isEmpty(); }
};

rOwnDictionary readOwnDictionary(TWorkspace& ws, const QString& fileName) {
    rOwnDictionary out;
    TAppContext& app = ws.app;
    const TAppState& st = app.state;
    const QString base = stripExtension(fileName).toLower();
    const QRegularExpression own(QStringLiteral("^%1(_[0-9a-f]{8})?$").arg(QRegularExpression::escape(base)),
                                 QRegularExpression::CaseInsensitiveOption);
    const QString tail = dictionaryFileName(st, QString(), QStringLiteral("sst")); // "_src_dst.sst"
    const QDir folder(st.userDictionaryFolder);
    for (const QString& name : folder.entryList({QStringLiteral("*") + tail}, QDir::Files)) {
        if (!own.match(name.left(name.size() - tail.size())).hasMatch()) continue;
        tListSet lists;
        int counter = 0;
        try {
            quilldict::loadDictionary(app, lists, folder.filePath(name), quilldict::rDictionaryLoad{}, counter,
                                      nullptr);
        } catch (const TQuillError&) {
            // What was read before the bad record still counts.
        }
        for (const tSkyStrList& list : lists)
            for (const auto& entry : list)
                if (!entry->gTrans.isEmpty() && entry->gTrans != entry->gS) {
                    out.sources.insert(entry->gS);
                    out.translations.insert(entry->gTrans);
                }
    }
    return out;
}

rOwnTextCount countTexts(const rOwnDictionary& dictionary, const tPluginTree& tree, const rCodepage& source,
                         const rCodepage& dest) {
    rOwnTextCount count;
    tree.forEach([&](const tPluginNode& node) {
        const trecord* record = node.record();
        if (!record) return;
        for (const auto& field : record->fList) {
            if (!field->params.has(sfieldParam::isString)) continue;
            QByteArrayView bytes = field->buffer.view();
            while (!bytes.isEmpty() && bytes.back() == '\0') // the terminating zero
                bytes.chop(1);
            const QString asSource = decodeText(bytes, source);
            if (dictionary.sources.contains(asSource)) {
                ++count.asSources;
                continue;
            }
            if (dictionary.translations.contains(source.c == dest.c ? asSource : decodeText(bytes, dest)))
                ++count.asTranslations;
        }
    });
    return count;
}

// A plain plugin's tree read from `bytes`, quietly: false when it is no plain plugin or does not read.
bool readPlainTree(TAppContext& app, const QByteArray& bytes, tPluginTree& tree) {
    tree.fileData = bytes;
    rPluginReadContext ctx;
    ctx.defs = &recordDefs();
    ctx.app = &app;
    try {
        TBinaryCursor stream(tree.fileData);
        if (readPluginHeader(stream, &tree, ctx) != 0) return false;
        readPluginTree(stream, tree, true, ctx);
        return true;
    } catch (const TQuillError&) {
        return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

struct rCodepages {
    rCodepage source;
    rCodepage dest;
};

rCodepages codepagesOf(const TAppState& st) {
    return {chooseCodepage(QLatin1Char('_') + st.SourceLang, st.codepageList, st.ForceUtf8Load),
            chooseCodepage(QLatin1Char('_') + st.DestLang, st.codepageList, st.ForceUtf8Export)};
}

} // namespace

rOwnTextCount countOwnTexts(TWorkspace& ws, const QString& fileName, const tPluginTree& tree, const rCodepage& source,
                            const rCodepage& dest) {
    const rOwnDictionary dictionary = readOwnDictionary(ws, fileName);
    if (dictionary.empty()) return {};
    return countTexts(dictionary, tree, source, dest);
}

rSavedInPlace settleSavedInPlace(TWorkspace& ws, const QString& path, const tPluginTree& tree) {
    rSavedInPlace out;
    TAppContext& app = ws.app;
    const TAppState& st = app.state;
    if (st.SourceLang.compare(st.DestLang, Qt::CaseInsensitive) == 0) return out;
    const rOwnDictionary dictionary = readOwnDictionary(ws, QFileInfo(path).fileName());
    if (dictionary.empty()) return out;
    const rCodepages codepages = codepagesOf(st);
    const rOwnTextCount count = countTexts(dictionary, tree, codepages.source, codepages.dest);
    if (!count.savedInPlace()) return out;

    // The original is the newest backup that is not a translation too (a second save in place backs up the first).
    for (const QString& backup : writtenFileBackups(st, path)) {
        QByteArray bytes;
        if (!quillfs::readWholeFile(backup, bytes, nullptr)) continue;
        tPluginTree candidate;
        if (!readPlainTree(app, bytes, candidate)) continue;
        if (countTexts(dictionary, candidate, codepages.source, codepages.dest).savedInPlace()) continue;
        out.originalPath = backup;
        out.originalBytes = std::move(bytes);
        break;
    }
    const QString fileName = QFileInfo(path).fileName();
    if (out.originalPath.isEmpty()) {
        app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_SavedInPlaceNoOriginal"),
                                        {fileName, static_cast<int>(count.asTranslations), st.DestLang}),
                       true, dbSelfClosing);
        out.choice = TSavedInPlaceChoice::goOn;
        return out;
    }
    const QString backupName = QFileInfo(out.originalPath).fileName();
    rOptionRequest request;
    request.dialog = QStringLiteral("SavedInPlace");
    request.caption = app.uiTextFormat(QStringLiteral("Ask_SavedInPlace"),
                                       {fileName, static_cast<int>(count.asTranslations), backupName});
    request.choices << app.uiTextFormat(QStringLiteral("SavedInPlace_Original"), {backupName})
                    << app.uiText(QStringLiteral("SavedInPlace_GoOn"));
    request.current = 0;
    request.yesNo = true;
    const int answer = app.host().chooseOption(request);
    out.choice = answer == 0   ? TSavedInPlaceChoice::original
                 : answer == 1 ? TSavedInPlaceChoice::goOn
                               : TSavedInPlaceChoice::cancel;
    if (out.choice != TSavedInPlaceChoice::original) out.originalBytes.clear();
    return out;
}

void noteSavedInPlace(TWorkspace& ws, const QString& target, const QString& keptAt) {
    TAppContext& app = ws.app;
    const TAppState& st = app.state;
    if (st.SourceLang.compare(st.DestLang, Qt::CaseInsensitive) == 0) return;
    const QString fileName = QFileInfo(target).fileName();
    const QString note = keptAt.isEmpty()
                             ? app.uiTextFormat(QStringLiteral("Fbk_SavedInPlaceNoBackup"), {fileName, st.DestLang})
                             : app.uiTextFormat(QStringLiteral("Fbk_SavedInPlaceNote"),
                                                {fileName, st.DestLang, QDir::toNativeSeparators(keptAt), fileName});
    app.logMessage(note);
    app.host().setStatusText(2, note);
    ws.saveNote = note;
}
