// The spelling underline.
#include "ui/QUILL_spellHighlighter.h"

#include "workspace/QUILL_wsSpelling.h"

#include <QTextBlock>
#include <QTextDocument>

TSpellHighlighter::TSpellHighlighter(TWorkspace& ws, QTextDocument* document) : QSyntaxHighlighter(document), ws_(ws) {
    underline_.setUnderlineStyle(QTextCharFormat::SpellCheckUnderline);
    underline_.setUnderlineColor(QColor(0xD0, 0x10, 0x10));
}

void TSpellHighlighter::setSource(const QString& source, bool rehighlightNow) {
    if (source == source_) return;
    source_ = source;
    if (rehighlightNow) rehighlight();
}

void TSpellHighlighter::setActive(bool active, bool rehighlightNow) {
    if (active == active_) return;
    active_ = active;
    if (rehighlightNow) rehighlight();
}

void TSpellHighlighter::highlightBlock(const QString& text) {
    if (!active_ || text.isEmpty()) return;
    // Each paragraph is read on its own: a keystroke reads again only the paragraph it changed.
    for (const quillspell::rUnknownWord& word : unknownWordsInText(ws_, text, source_))
        setFormat(static_cast<int>(word.position), static_cast<int>(word.length), underline_);
}

std::optional<quillspell::rUnknownWord> TSpellHighlighter::unknownWordAt(int position) {
    if (!active_ || !document()) return std::nullopt;
    const QTextBlock block = document()->findBlock(position);
    if (!block.isValid()) return std::nullopt;
    const int offset = position - block.position();
    for (quillspell::rUnknownWord word : unknownWordsInText(ws_, block.text(), source_)) {
        if (offset < word.position || offset > word.position + word.length) continue;
        word.position += block.position();
        return word;
    }
    return std::nullopt;
}
