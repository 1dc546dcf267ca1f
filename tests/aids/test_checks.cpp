// The quality checks over pairs of texts: for each check, strings it must flag and strings it must leave alone
// (French punctuation spacing, tags in another order, "%%"), then the cross-entry checks over small lists.
#include "aids/QUILL_checks.h"
#include "strings/QUILL_hash.h"

#include <gtest/gtest.h>

namespace {

using namespace quillcheck;

struct rPairCase {
    TCheck check;
    QString source;
    QString translation;
    // The expected explanation key, empty when the pair must not be flagged; and its arguments joined by '|' when
    // they matter.
    const char* key = "";
    QString args = {};
    // The field and the languages where they matter.
    rFieldRules field = {};
    const char* dest = "fr";
    bool validated = false;
    bool utf8 = true;
};

rFieldRules field(const char* name, int maxBytes, bool lineBreaks) {
    return {QLatin1String(name), maxBytes, lineBreaks};
}

std::vector<rProblem> runPair(const rPairCase& c, TCheckSet checks) {
    rPairSetup setup;
    setup.checks = checks;
    setup.destLanguage = QLatin1String(c.dest);
    setup.codepage = c.utf8 ? rCodepage{} : codepageFromNumber(1252);
    const TPairChecks pairs(setup);
    std::vector<rProblem> out;
    pairs.check(c.source, c.translation, c.validated, c.field, out);
    return out;
}

const QString kLongText = QString(70000, QLatin1Char('a'));

const std::vector<rPairCase> kPairCases = {
    // tags
    {TCheck::tags, "<Alias=Player> wants <Global=QSCaps> caps.", "<Alias=Player> veut des capsules.", "Chk_Missing",
     "<Global=QSCaps>"},
    {TCheck::tags, "<Alias=Buyer> pays <Alias=Seller>.", "<Alias=Seller> est payé par <Alias=Buyer>."},
    {TCheck::tags, "<font face='$HandwrittenFont'>Hi</font>", "<FONT face = \"$HandwrittenFont\">Salut</font>"},
    {TCheck::tags, "<Token.Name=Boss> waits.", "<Token.Name=Chef> attend.", "Chk_MissingExtra",
     "<Token.Name=Boss>|<Token.Name=Chef>"},
    {TCheck::tags, "One[pagebreak]Two", "Un Deux", "Chk_Missing", "[pagebreak]"},
    {TCheck::tags, "Press [E] to read.", "Appuyez sur [E] pour lire."},
    {TCheck::tags, "[Sarcastic] Sure.", "[Sarcastique] Bien sûr."},
    {TCheck::tags, "Line<br>two", "Ligne deux<br><b>", "Chk_Extra", "<b>"},
    {TCheck::tags, "a < b and c > d", "a < b et c > d"},
    // placeholders
    {TCheck::placeholders, "%d caps", "%d capsules"},
    {TCheck::placeholders, "%d caps", "des capsules", "Chk_Missing", "%d"},
    {TCheck::placeholders, "%s paid %d caps", "%d capsules payées par %s", "Chk_PlaceholderOrder", "%s %d|%d %s"},
    {TCheck::placeholders, "%1$s paid %2$d caps", "%2$d capsules payées par %1$s"},
    {TCheck::placeholders, "100%% done", "100% fait", "Chk_Missing", "%%"},
    {TCheck::placeholders, "100%% done", "100 %% fait"},
    {TCheck::placeholders, "50% off", "50 % de remise"},
    {TCheck::placeholders, "Costs %.2f", "Coûte %.1f", "Chk_MissingExtra", "%.2f|%.1f"},
    {TCheck::placeholders, "$QS_Title", "$QS_Title"},
    {TCheck::placeholders, "See $QS_Help", "Voir l'aide", "Chk_Missing", "$QS_Help"},
    {TCheck::placeholders, "Costs 5 $", "Coûte 5 $"},
    // numbers: read per language, kept as written, markup and format codes left out
    {TCheck::numbers, "1,000.5 caps", "1 000,5 capsules"},
    {TCheck::numbers, "1,000.5 caps", "1\u202f000,5 capsules"},
    {TCheck::numbers, "Costs 10 caps", "Coûte 100 capsules", "Chk_MissingExtra", "10|100"},
    {TCheck::numbers, "Takes 1.5 hours", "Prend 1,5 heure"},
    {TCheck::numbers, "Takes 1.5 hours", "Prend 15 heures", "Chk_MissingExtra", "1.5|15"},
    {TCheck::numbers, "Version 1.2.3", "Version 1.2.3"},
    {TCheck::numbers, "Level 10 100 XP", "Niveau 10 100 XP"},
    {TCheck::numbers, "Costs 1,000 caps", "Coûte 1.000 capsules", "", "", {}, "de"},
    {TCheck::numbers, "<font size='20'>Costs %.2f</font>", "<font size='24'>Coûte %.2f</font>"},
    {TCheck::numbers, "Press [F1]", "Appuyez sur [F1] 2 fois", "Chk_Extra", "2"},
    {TCheck::numbers, "007 agents", "7 agents"},
    // whitespace
    {TCheck::whitespace, " Hello", "Bonjour", "Chk_LeadingBlanks", "0|1"},
    {TCheck::whitespace, "Hello ", "Bonjour ", ""},
    {TCheck::whitespace, "Hello", "Bonjour\t", "Chk_TrailingBlanks", "1|0"},
    // double-space
    {TCheck::doubleSpace, "Hi there", "Salut  toi", "Chk_DoubleSpace", "1|0"},
    {TCheck::doubleSpace, "A  B", "A  B"},
    {TCheck::doubleSpace, "Hi there", "Salut toi "},
    // line-breaks
    {TCheck::lineBreaks, "One\r\ntwo", "Un deux", "Chk_LineBreakCount", "0|1"},
    {TCheck::lineBreaks, "One\r\ntwo", "Un\ndeux"},
    {TCheck::lineBreaks, "Ink Pistol", "Pistolet\r\nà encre", "Chk_LineBreakField", "WEAP:FULL",
     field("WEAP:FULL", 0, false)},
    {TCheck::lineBreaks, "One\r\ntwo", "Un\r\ndeux", "", "", field("BOOK:DESC", 0, true)},
    // length: bytes once encoded, the field's limit or any game text's
    {TCheck::length, "Épée", "Épée", "Chk_TooLongField", "6|WEAP:FULL|5", field("WEAP:FULL", 5, false), "fr", true},
    {TCheck::length, "Épée", "Épée", "", "", field("WEAP:FULL", 5, false), "fr", true, false},
    {TCheck::length, "Long", kLongText, "Chk_TooLongText", "70000|65534"},
    // end-punctuation (a French space before ?!:; and » is fine)
    {TCheck::endPunctuation, "Hello.", "Bonjour", "Chk_EndPunctuation", "\".\"|\"r\""},
    {TCheck::endPunctuation, "Really?", "Vraiment\u00a0?"},
    {TCheck::endPunctuation, "Really?!", "Vraiment ? !"},
    {TCheck::endPunctuation, "Wait...", "Attendez…"},
    {TCheck::endPunctuation, "Wait…", "Attendez..."},
    {TCheck::endPunctuation, "He said \"Go!\"", "Il a dit « Allez ! »"},
    {TCheck::endPunctuation, "Done:", "Fini :"},
    {TCheck::endPunctuation, "<b>Done.</b>", "<b>Fini.</b>"},
    {TCheck::endPunctuation, "Hello.", "Bonjour !", "Chk_EndPunctuation", "\".\"|\"!\""},
    {TCheck::endPunctuation, "Hello", "Bonjour."},
    {TCheck::endPunctuation, "Done.", "完了。", "", "", {}, "ja"},
    // brackets
    {TCheck::brackets, "(see the map)", "(voir la carte", "Chk_Unbalanced", "( )"},
    {TCheck::brackets, "Hi :)", "Salut :)"},
    {TCheck::brackets, "Say \"hi\"", "Dis « salut »"},
    {TCheck::brackets, "Say \"hi\"", "Dis « salut", "Chk_Unbalanced", "« »"},
    {TCheck::brackets, "Say \"hi\"", "Sag \u201Ehallo\u201C", "", "", {}, "de"},
    {TCheck::brackets, "A {b}", "Un {b", "Chk_Unbalanced", "{ }"},
    // repeated-word
    {TCheck::repeatedWord, "the thing", "la la chose", "Chk_RepeatedWord", "la"},
    {TCheck::repeatedWord, "Bye bye", "Bye bye"},
    {TCheck::repeatedWord, "No, no!", "Non, non !"},
    {TCheck::repeatedWord, "10 10", "10 10"},
    // untranslated: the source left as it was, two words or more, not validated
    {TCheck::untranslated, "Ink Pistol", "Ink Pistol", "Chk_Untranslated"},
    {TCheck::untranslated, "Ink Pistol", "Ink Pistol", "", "", {}, "fr", true},
    {TCheck::untranslated, "Stimpak", "Stimpak"},
    {TCheck::untranslated, "<Alias=Player> 10", "<Alias=Player> 10"},
    // blank
    {TCheck::blank, "Hello", "", "Chk_Blank"},
    {TCheck::blank, "Hello", " \r\n", "Chk_Blank"},
    {TCheck::blank, " ", ""},
};

} // namespace

TEST(Checks, EachCheckFlagsWhatItMustAndLeavesTheRest) {
    for (const rPairCase& c : kPairCases) {
        const std::vector<rProblem> problems = runPair(c, TCheckSet{c.check});
        const QString label = checkName(c.check) + QStringLiteral(": ") + c.source.left(40) + QStringLiteral(" -> ") +
                              c.translation.left(40);
        if (!*c.key) {
            EXPECT_TRUE(problems.empty()) << label.toStdString() << " flagged " << problems.front().detailKey;
            continue;
        }
        ASSERT_EQ(problems.size(), 1u) << label.toStdString();
        EXPECT_EQ(problems[0].check, c.check) << label.toStdString();
        EXPECT_STREQ(problems[0].detailKey, c.key) << label.toStdString();
        EXPECT_TRUE(c.args.isEmpty() || problems[0].args.join('|') == c.args)
            << label.toStdString() << ": " << problems[0].args.join('|').toStdString();
    }
}

TEST(Checks, AnUntranslatedOrEmptyTextIsCheckedByItsOwnCheckOnly) {
    // Every check on: a source left as it was is only "untranslated", an empty translation only "blank", and a
    // translation with several faults lists them in the order of the checks' names.
    rPairCase c{TCheck::tags, "<b>Fires %d pellets.</b> ", "<b>Fires %d pellets.</b> "};
    std::vector<rProblem> p = runPair(c, allChecks());
    ASSERT_EQ(p.size(), 1u);
    EXPECT_EQ(p[0].check, TCheck::untranslated);
    c.translation = QString();
    p = runPair(c, allChecks());
    ASSERT_EQ(p.size(), 1u);
    EXPECT_EQ(p[0].check, TCheck::blank);
    c.translation = QStringLiteral("Tire  des  plombs (%s");
    p = runPair(c, allChecks());
    std::vector<TCheck> found;
    for (const rProblem& problem : p)
        found.push_back(problem.check);
    EXPECT_EQ(found, (std::vector<TCheck>{TCheck::brackets, TCheck::doubleSpace, TCheck::endPunctuation,
                                          TCheck::placeholders, TCheck::tags, TCheck::whitespace}));
}

TEST(Checks, NamesAreTheCommandLineContract) {
    QStringList names;
    for (const TCheck c : checkOrder())
        names << checkName(c);
    EXPECT_EQ(names, (QStringList{"blank", "brackets", "double-space", "end-punctuation", "inconsistent", "length",
                                  "line-breaks", "numbers", "official-term", "placeholders", "repeated-word",
                                  "spelling", "tags", "untranslated", "whitespace"}));
    TCheckSet set;
    QString unknown;
    EXPECT_TRUE(parseCheckNames({"tags,numbers", "spelling"}, set, unknown));
    EXPECT_EQ(set, (TCheckSet{TCheck::tags, TCheck::numbers, TCheck::spelling}));
    EXPECT_FALSE(parseCheckNames({"tags,tag"}, set, unknown));
    EXPECT_EQ(unknown, QStringLiteral("tag"));
    EXPECT_FALSE(checkOnByDefault(TCheck::repeatedWord));
    EXPECT_TRUE(checkOnByDefault(TCheck::spelling));
}

TEST(Checks, MarkupTokensAreTheTagsTheGameReads) {
    const QString text = QStringLiteral("<<Alias=A> x <3 > [E] [Lie] [pagebreak] </font> <b");
    QStringList tags, texts;
    forEachMarkupToken(text, [&](const rMarkupToken& t) {
        (t.kind == rMarkupToken::TKind::angleText ? texts : tags) << text.mid(t.start, t.length);
    });
    EXPECT_EQ(tags, (QStringList{"<Alias=A>", "[E]", "[pagebreak]", "</font>"}));
    EXPECT_EQ(texts, (QStringList{"<3 >"}));
    // The comparison form still abbreviates the alias tags alone, and keeps the rest as text.
    rParse parse;
    QStringList found;
    parseString(text, parse, &found);
    EXPECT_EQ(found, (QStringList{"<Alias=A>"}));
    EXPECT_EQ(parse.sLD, QStringLiteral("<<a> x <3 > [E] [Lie] [pagebreak] </font> <b"));
}

namespace {

struct TCrossFixture {
    tListSet lists;
    tListSet vocabulary;
    tSkyFolder official{QStringLiteral("fallout4"), {}};
    tSkyFolder mine{QStringLiteral("mymod"), {sFdrParam::fdrUser}};

    tSkyStr* add(int list, uint32_t id, const char* source, const char* translation, bool validated = false) {
        lists[list].push_back(std::make_unique<tSkyStr>(QString::fromUtf8(source), QString::fromUtf8(translation), list,
                                                        id, 0,
                                                        validated ? sStrParams{sStrParam::validated} : sStrParams{}));
        return lists[list].back().get();
    }
    void term(int list, const char* source, const char* translation, tSkyFolder& folder) {
        vocabulary[list].push_back(std::make_unique<tSkyStr>(QString::fromUtf8(source), QString::fromUtf8(translation),
                                                             list, 0, 0, sStrParams{}, sStrInternalParams{}, &folder));
        sortListSet(vocabulary, skycompare::byHashSourceId);
    }
};

} // namespace

TEST(Checks, InconsistentListsTheOtherTranslationsOfTheSameSource) {
    TCrossFixture f;
    tSkyStr* a = f.add(0, 1, "Ink Pistol", "Pistolet à encre");
    tSkyStr* b = f.add(1, 2, "Ink Pistol", "Pistolet d'encre");
    tSkyStr* c = f.add(0, 3, "Ink Pistol", "Pistolet à encre");
    tSkyStr* untouched = f.add(0, 4, "Ink Pistol", "Ink Pistol");
    f.add(0, 5, "ink pistol", "pistolet");
    TSourceGroups groups;
    groups.build(f.lists);
    EXPECT_TRUE(groups.holds(*a));
    EXPECT_EQ(groups.peers(*a).size(), 3u); // not the one in small letters
    std::vector<rProblem> out;
    checkInconsistent(a->gTrans, givenTranslations(groups.peers(*a)), out);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].args, QStringList{"\"Pistolet d'encre\" (1:2)"});
    out.clear();
    checkInconsistent(b->gTrans, givenTranslations(groups.peers(*b)), out);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].args, QStringList{"\"Pistolet à encre\" (0:1 +1)"});
    // The whole document's groups: one, of the four entries of that source.
    int groupCount = 0;
    groups.forEachGroup([&](const std::vector<tSkyStr*>& group) {
        ++groupCount;
        EXPECT_EQ(group.size(), 4u);
    });
    EXPECT_EQ(groupCount, 1);
    // The untranslated one takes no part; once the odd one agrees, nobody is flagged.
    EXPECT_FALSE(hasOwnTranslation(*untouched));
    b->setSTrans(QStringLiteral("Pistolet à encre"));
    for (const tSkyStr* e : {a, b, c}) {
        out.clear();
        checkInconsistent(e->gTrans, givenTranslations(groups.peers(*e)), out);
        EXPECT_TRUE(out.empty());
    }
    // A new source is not held until the groups are built again.
    b->setS(QStringLiteral("Ink Rifle"));
    EXPECT_FALSE(groups.holds(*b));
}

TEST(Checks, OfficialTermsComeFromTheGameCachesOnly) {
    TCrossFixture f;
    f.term(0, "Stimpak", "Stimpak", f.official);
    f.term(0, "Pipe Pistol", "Pistolet artisanal", f.official);
    f.term(0, "Ink Pistol", "Pistolet encreur", f.mine);
    f.term(1, "Pipe Pistol", "Pistolet tuyau", f.official);
    TOfficialTerms terms;
    terms.build(f.vocabulary);
    const auto check = [&](int list, const char* source, const char* translation) {
        std::vector<rProblem> out;
        const QString s = QString::fromUtf8(source);
        checkOfficialTerm(terms, list, s, textHash(s), QString::fromUtf8(translation), out);
        return out.empty() ? QString() : out[0].args.join('|');
    };
    EXPECT_EQ(check(0, "Pipe Pistol", "Pistolet en tuyau"), QStringLiteral("\"Pistolet artisanal\""));
    EXPECT_EQ(check(0, "Pipe Pistol", "Pistolet artisanal"), QString());
    EXPECT_EQ(check(1, "Pipe Pistol", "Pistolet tuyau"), QString());
    EXPECT_EQ(check(0, "Ink Pistol", "Pistolet"), QString()); // the translator's own dictionary is no authority
    EXPECT_EQ(check(0, "Pipe Pistol and more", "Pistolet"), QString());
    EXPECT_EQ(check(0, "pipe pistol", "Pistolet"), QString());
}
