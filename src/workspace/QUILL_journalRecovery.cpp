// Recovery: the journal's path and header for the open document, the steps handed to the writer, and a journal a
// crash left offered and replayed on open.
#include "workspace/QUILL_journal.h"

#include "core/QUILL_platform.h"
#include "workspace/QUILL_document.h"
#include "workspace/QUILL_workspace.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <unordered_map>

namespace {

constexpr int kDiscardedDays = 7;

bool journalled(const TWorkspace& ws) {
    return ws.document && ws.document->journalled();
}

QString recoveryFolder(const TWorkspace& ws) {
    return ws.app.state.userDictionaryFolder + QStringLiteral("Recovery/");
}

bool sameHeader(const rJournalHeader& a, const rJournalHeader& b) {
    return a.documentPath.compare(b.documentPath, Qt::CaseInsensitive) == 0 && a.kind == b.kind &&
           a.sourceLang.compare(b.sourceLang, Qt::CaseInsensitive) == 0 &&
           a.destLang.compare(b.destLang, Qt::CaseInsensitive) == 0 && a.workMode == b.workMode;
}

// Moves a journal to Recovery/Discarded/, dated now, and removes discarded journals older than a week.
void discardJournal(const TWorkspace& ws, const QString& path) {
    const QString folder = recoveryFolder(ws) + QStringLiteral("Discarded/");
    QDir().mkpath(folder);
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QDateTime limit = now.addDays(-kDiscardedDays);
    const QFileInfoList old = QDir(folder).entryInfoList({QStringLiteral("*.journal")}, QDir::Files);
    for (const QFileInfo& info : old)
        if (info.lastModified() < limit) QFile::remove(info.absoluteFilePath());
    const QString target = folder + QFileInfo(path).completeBaseName() + QLatin1Char('-') +
                           now.toString(QStringLiteral("yyyyMMddHHmmsszzz")) + QStringLiteral(".journal");
    if (!QFile::rename(path, target)) {
        QFile::remove(path);
        return;
    }
    // The week counts from the discarding, not from the last step written.
    QFile moved(target);
    if (moved.open(QIODevice::ReadWrite)) moved.setFileTime(now, QFileDevice::FileModificationTime);
}

} // namespace

QString journalPathFor(const TWorkspace& ws) {
    const rJournalHeader header = currentJournalHeader(ws);
    const QString identity = header.documentPath.toLower() + QLatin1Char('|') + header.kind + QLatin1Char('|') +
                             header.sourceLang.toLower() + QLatin1Char('|') + header.destLang.toLower();
    const QByteArray digest = QCryptographicHash::hash(identity.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return recoveryFolder(ws) + QFileInfo(header.documentPath).fileName() + QLatin1Char('-') +
           QString::fromLatin1(digest) + QStringLiteral(".journal");
}

rJournalHeader currentJournalHeader(const TWorkspace& ws) {
    const TAppState& st = ws.app.state;
    rJournalHeader header;
    header.documentPath = QFileInfo(ws.document->path).absoluteFilePath();
    const rDocumentKind* kind = documentKindOf(ws.document->path);
    header.kind = QLatin1String(kind ? kind->name : "");
    const QFileInfo info(ws.document->path);
    if (info.exists()) {
        header.documentSize = info.size();
        header.documentTime = info.lastModified().toMSecsSinceEpoch();
    }
    header.sourceLang = st.SourceLang;
    header.destLang = st.DestLang;
    header.workMode = static_cast<uint8_t>(st.WorkMode);
    return header;
}

void journalStep(TWorkspace& ws, const std::vector<rEntryChange>& changes, TJournalStepKind kind) {
    if (!ws.journal || changes.empty() || !journalled(ws)) return;
    // A failed write is told once; the steps go on being written (a later one may succeed).
    const QString error = ws.journal->takeError();
    if (!error.isEmpty()) ws.app.logMessage(ws.app.uiTextFormat(QStringLiteral("Fbk_JournalError"), {error}));
    if (!ws.journal->active()) {
        const QString path = journalPathFor(ws);
        // Another window holds this document's journal: its steps must not be overwritten by these.
        if (!ws.journal->claimed(path)) return;
        ws.journal->start(path, currentJournalHeader(ws));
    }
    ws.journal->append(captureJournalRecord(ws, changes, kind));
}

void endJournal(TWorkspace& ws) {
    if (ws.journal && ws.journal->active()) ws.journal->remove();
}

void closeJournal(TWorkspace& ws) {
    if (!ws.journal) return;
    if (ws.journal->active()) {
        if (ws.hasUnsavedWork())
            ws.journal->close();
        else
            ws.journal->remove();
        ws.journal->waitIdle();
    }
    ws.journal->release();
}

int replayJournal(TWorkspace& ws, const std::vector<rJournalRecord>& records, int* missing) {
    std::unordered_map<rEntryIdentity, tSkyStr*, rEntryIdentityHash> entries;
    size_t total = ws.sharedIdList.size();
    for (const auto& list : ws.loadedLists)
        total += list.size();
    entries.reserve(total);
    const TMenuDocument* menu = ws.menu();
    for (const auto& list : ws.loadedLists)
        for (const auto& entry : list)
            entries.emplace(entryIdentity(menu, *entry), entry.get());
    for (const auto& entry : ws.sharedIdList)
        entries.emplace(entryIdentity(menu, *entry), entry.get());

    int notFound = 0;
    TEntryCommand command(ws, QStringLiteral("Step_Recover"));
    for (const rJournalRecord& record : records)
        for (const rJournalChange& change : record.changes) {
            const auto it = entries.find(change.entry);
            if (it == entries.end()) {
                ++notFound;
                continue;
            }
            tSkyStr& entry = *it->second;
            if (change.hasTranslation) {
                change.state.applyTo(entry);
            } else {
                rEntryState state = change.state;
                state.translation = entry.gTrans;
                state.applyTo(entry);
            }
        }
    if (missing) *missing = notFound;
    return command.finish();
}

int offerJournal(TWorkspace& ws) {
    if (!journalled(ws)) return 0;
    // A journal of the document closed just before must be removed or kept before this one is looked for.
    if (ws.journal) ws.journal->waitIdle();
    const QString path = journalPathFor(ws);
    // Only the window writes, so only the window tidies up.
    const bool writes = ws.journal != nullptr;
    if (writes && !ws.journal->claim(path)) {
        ws.app.logMessage(ws.app.uiText(QStringLiteral("Fbk_JournalInUse")), true);
        return 0;
    }
    if (ws.recovery == TRecoveryUse::ignore) return 0;
    const QFileInfo found(path);
    if (!found.exists() && !found.isSymLink()) return 0;
    TAppContext& app = ws.app;
    const QString shown = QDir::toNativeSeparators(path);
    // A link would make the journal another file (planted there to be read, or overwritten by the writer): it is
    // neither followed nor removed; the first step written replaces it with the journal itself.
    if (found.isSymLink()) {
        app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_JournalLink"), {shown}), true);
        return 0;
    }
    if (found.size() > journalSizeLimit(ws)) {
        app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_JournalTooBig"),
                                        {shown, static_cast<qlonglong>(found.size() / (1024 * 1024))}),
                       true);
        if (writes) discardJournal(ws, path);
        return 0;
    }
    QFile file;
    QString error;
    rJournalContents contents;
    if (!openFileNoFollow(file, path, QIODevice::ReadOnly, &error)) {
        app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_JournalUnreadable"), {shown, error}));
        return 0;
    }
    try {
        // A journal of another document (or of other languages) is not offered, and left alone.
        if (!readJournal(file, contents) || !sameHeader(contents.header, currentJournalHeader(ws))) return 0;
    } catch (const std::bad_alloc&) {
        app.logMessage(app.uiText(QStringLiteral("Fbk_OutOfMemory")), true);
        return 0;
    }
    file.close();
    if (contents.records.empty()) {
        if (writes) QFile::remove(path);
        return 0;
    }
    const rJournalHeader now = currentJournalHeader(ws);
    const bool changed =
        now.documentSize != contents.header.documentSize || now.documentTime != contents.header.documentTime;
    const QString date = QDateTime::fromMSecsSinceEpoch(contents.records.back().time)
                             .toLocalTime()
                             .toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    const QVariantList args{static_cast<int>(contents.records.size()), date};
    const QString question =
        app.uiTextFormat(changed ? QStringLiteral("Ask_RecoverChanged") : QStringLiteral("Ask_RecoverJournal"), args);
    if (ws.recovery == TRecoveryUse::ask) {
        if (app.messageDialog(question, dbYesNo) != drYes) {
            if (writes) discardJournal(ws, path);
            return 0;
        }
    } else {
        app.logMessage(question + QStringLiteral(" -> yes"));
    }
    int missing = 0;
    const int restored = replayJournal(ws, contents.records, &missing);
    if (missing > 0) app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_RecoverMissing"), {missing}), true, dbOk);
    app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_Recovered"), {restored}));
    // The restored step started a new journal over this one; when it changed nothing, nothing replaces the old one.
    if (writes && restored == 0) discardJournal(ws, path);
    return restored;
}
