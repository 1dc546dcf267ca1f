// The --unknown-words step: every word of the translations the spelling dictionary does not know, most frequent
// first, one line a word (its count, a tab, the word).
#include "QUILL_cli.h"

#include "workspace/QUILL_wsSpelling.h"

namespace {

bool printUnknownWords(TCliContext& cli, const QStringList&) {
    // A missing dictionary has been reported by the checker's first use; the list is then empty, not a failure.
    for (const rWordCount& w : documentUnknownWords(cli.ws))
        cli.out << w.count << '\t' << w.word << '\n';
    cli.out.flush();
    return true;
}

const TCliStepRegistrar unknownWordsStep({QStringLiteral("--unknown-words"),
                                          QStringLiteral("print every word of the translations the spelling "
                                                         "dictionary does not know: its count, a tab, the word; "
                                                         "most frequent first"),
                                          TCliSyntax{}, printUnknownWords});

} // namespace
