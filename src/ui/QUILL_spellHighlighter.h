// The red wavy underline under the unknown words of a text editor, read again block by block as the translator types.
#pragma once

#include "aids/QUILL_spelling.h"

#include <QSyntaxHighlighter>
#include <QTextCharFormat>
#include <optional>

class QTextDocument;
class TWorkspace;

class TSpellHighlighter : public QSyntaxHighlighter {
public:
    TSpellHighlighter(TWorkspace& ws, QTextDocument* document);

    // The text whose words count as known (the entry's source: names the translation keeps). With `rehighlightNow`
    // every block is read again; a caller about to replace the whole text passes false.
    void setSource(const QString& source, bool rehighlightNow = true);
    const QString& source() const { return source_; }
    // Underlines nothing while off (a text kept untranslated, a read-only editor).
    void setActive(bool active, bool rehighlightNow = true);
    bool isActive() const { return active_; }

    // The unknown word at a position of the document (its start to its end, both included), positions in the
    // document; none when the word there is known or spelling is off.
    std::optional<quillspell::rUnknownWord> unknownWordAt(int position);

protected:
    void highlightBlock(const QString& text) override;

private:
    TWorkspace& ws_;
    QString source_;
    bool active_ = true;
    QTextCharFormat underline_;
};
