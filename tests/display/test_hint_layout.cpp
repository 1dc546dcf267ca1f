// The hint mark-up engine over a fixed-width fake: 10 pixels a character (12 in bold), lines 20 pixels high.
#include "display/QUILL_Hint.h"

#include <gtest/gtest.h>

namespace {

class TFixedMeasure : public THintMeasure {
public:
    QSize textSize(const QString& text, const rHintFont& font) override {
        ++calls;
        return QSize(static_cast<int>(text.size()) * (font.bold ? 12 : 10), 20);
    }
    int calls = 0;
};

rHintLayout paint(const QString& text, int width = 200) {
    TFixedMeasure m;
    return layoutHintText(m, text, QRect(QPoint(0, 0), QPoint(width, 0)), 1.0, 0);
}

QStringList texts(const rHintLayout& layout) {
    QStringList out;
    for (const rHintWord& w : layout.words)
        out << w.text;
    return out;
}

const rHintWord* word(const rHintLayout& layout, const QString& text) {
    for (const rHintWord& w : layout.words)
        if (w.text.trimmed() == text) return &w;
    return nullptr;
}

} // namespace

TEST(HintTokens, WordsTagsBreaksAndUnknownTags) {
    EXPECT_EQ(tokenizeHintText(QStringLiteral("Hello <b>big</b> world")),
              (QStringList{"Hello ", "<b>", "big", "</b>", " ", "world"}));
    // A tag the engine does not know is text, in bold; the words around keep their style.
    EXPECT_EQ(tokenizeHintText(QStringLiteral("Hi <Alias=Player> there")),
              (QStringList{"Hi ", "<b>", "<Alias=Player>", "</b>", " ", "there"}));
    // Closing a block breaks the line before the closing tag.
    EXPECT_EQ(tokenizeHintText(QStringLiteral("<p align='center'>Title</P>Body")),
              (QStringList{"<p align='center'>", "Title", "<br>", "</P>", "Body"}));
    // Line feeds break, carriage returns go; leading and trailing breaks are dropped in either spelling.
    EXPECT_EQ(tokenizeHintText(QStringLiteral("<br><BR/>one\r\ntwo<br/>\n")), (QStringList{"one", "<br>", "two"}));
    // A "<" without a ">" is text.
    EXPECT_EQ(tokenizeHintText(QStringLiteral("a <b c")), (QStringList{"a ", "<b ", "c"}));
}

TEST(HintLayout, LinesBreakBetweenWordsAndBlankTextsShowNothing) {
    const rHintLayout layout = paint(QStringLiteral("aaaa bbbb"), 60);
    ASSERT_EQ(layout.words.size(), 2u);
    EXPECT_EQ(layout.words[0].x, 0);
    EXPECT_EQ(layout.words[0].baseline, 0);
    EXPECT_EQ(layout.words[1].x, 0);
    EXPECT_EQ(layout.words[1].baseline, 20);
    EXPECT_EQ(layout.rect.right(), 50); // the widest line, with its blank
    EXPECT_EQ(layout.rect.bottom(), 20);
    EXPECT_EQ(layout.tip.FirstLineHeight, 20);

    TFixedMeasure m;
    EXPECT_TRUE(layoutHintText(m, QStringLiteral(" \t\r\n "), QRect(0, 0, 100, 0), 1.0, 0).rect.isEmpty());
    EXPECT_TRUE(calcHintRect(m, QStringLiteral("   ")).rect.isEmpty());
    // Leading and trailing breaks make no empty lines.
    const rHintLayout framed = paint(QStringLiteral("<br>word<br>"));
    ASSERT_EQ(framed.words.size(), 1u);
    EXPECT_EQ(framed.rect.bottom(), 0);
    // An empty line is as high as "Hy".
    EXPECT_EQ(paint(QStringLiteral("a<br><br>b")).words.back().baseline, 40);
}

TEST(HintLayout, AlignmentIndentsAndStyles) {
    // A centred paragraph: its title centred, the text after it on a new line at the left.
    rHintLayout layout = paint(QStringLiteral("<p align=\"center\">Title</p>Body"));
    ASSERT_TRUE(word(layout, "Title") && word(layout, "Body"));
    EXPECT_EQ(word(layout, "Title")->x, (200 - 50) / 2);
    EXPECT_EQ(word(layout, "Body")->x, 0);
    EXPECT_EQ(word(layout, "Body")->baseline, 20);
    layout = paint(QStringLiteral("<right>ab"));
    EXPECT_EQ(word(layout, "ab")->x, 180);
    // Measuring alone never aligns.
    TFixedMeasure m;
    EXPECT_EQ(layoutHintText(m, QStringLiteral("<right>ab"), QRect(QPoint(0, 0), QPoint(200, 0)), 1.0, kHintMeasureOnly)
                  .rect.right(),
              20);

    layout = paint(QStringLiteral("<ind left=30 right=10>abc"));
    EXPECT_EQ(word(layout, "abc")->x, 30);
    // An indent as wide as the layout is ignored.
    layout = paint(QStringLiteral("<ind left=150 right=50>abc"));
    EXPECT_EQ(word(layout, "abc")->x, 0);

    layout = paint(QStringLiteral("<b>ab</b>cd <i><u>ef</u></i> <s>gh</s>"));
    EXPECT_TRUE(word(layout, "ab")->font.bold);
    EXPECT_EQ(word(layout, "ab")->width, 24);
    EXPECT_FALSE(word(layout, "cd")->font.bold);
    EXPECT_EQ(word(layout, "cd")->x, 24);
    EXPECT_TRUE(word(layout, "ef")->font.italic && word(layout, "ef")->font.underline);
    EXPECT_TRUE(word(layout, "gh")->font.strikeOut);

    layout = paint(QStringLiteral("<font color='255'>red</font>x <font face='$Handwritten'>y</font>"));
    EXPECT_TRUE(word(layout, "red")->font.colourSet);
    EXPECT_EQ(word(layout, "red")->font.colour, 255u);
    EXPECT_FALSE(word(layout, "x")->font.colourSet);
    EXPECT_FALSE(word(layout, "y")->font.colourSet); // a font tag without a colour keeps the colour

    // Plain-text mode shows the tags as they are (the closing tag, unknown, came wrapped in bold tags).
    layout = paint(QStringLiteral("<pt><b>x</pt>y"));
    EXPECT_EQ(texts(layout), (QStringList{"<b>", "x", "<b>", "y"}));
    EXPECT_FALSE(word(layout, "x")->font.bold);
    // An alias tag is shown in bold, the words around it are not.
    layout = paint(QStringLiteral("Hi <Alias=Player> there"));
    EXPECT_TRUE(word(layout, "<Alias=Player>")->font.bold);
    EXPECT_FALSE(word(layout, "there")->font.bold);
}

TEST(HintLayout, LongWordsAreCutTallTextsEndInAnEllipsisAndImagesShowTheirNames) {
    rHintLayout layout = paint(QStringLiteral("abcdefghijklmnop"), 100);
    EXPECT_EQ(texts(layout), (QStringList{"abcdefghi", "jklmnop"}));
    EXPECT_TRUE(layout.keepFullWidth);
    EXPECT_EQ(layout.words[1].baseline, 20);

    QString tall;
    for (int i = 0; i < 40; ++i)
        tall += QStringLiteral("line%1<br>").arg(i);
    layout = paint(tall);
    ASSERT_FALSE(layout.words.empty());
    EXPECT_EQ(layout.words.back().text, QStringLiteral("[...]"));
    EXPECT_LE(layout.words.back().baseline, 400 + 2 * 20);
    EXPECT_GT(layout.words.back().baseline, 400);
    EXPECT_LT(layout.words.size(), 40u);

    layout =
        paint(QStringLiteral("<img src='img://Textures/Books/a_letter.dds'>nd so it began <img src=\"maps/Map.png\">"
                             "<img src=''>"));
    EXPECT_EQ(texts(layout).first(), QStringLiteral("A"));
    EXPECT_EQ(texts(layout).last(), QStringLiteral("[img]map"));
}

TEST(HintLayout, TheHintRectangleAddsTheBordersAndTheBodyTagSetsThem) {
    TFixedMeasure m;
    rHintLayout hint = calcHintRect(m, QStringLiteral("ab"));
    EXPECT_EQ(hint.rect.left(), -7);
    EXPECT_EQ(hint.rect.right(), 20 + 7);
    EXPECT_EQ(hint.rect.bottom(), 0 + 20 + 5 + 3 + 4);
    hint = calcHintRect(m, QStringLiteral("<body side=2 foot=1 color=123>ab"));
    EXPECT_EQ(hint.tip.SideBorder, 2);
    EXPECT_EQ(hint.tip.FootBorder, 1);
    EXPECT_EQ(hint.tip.TopBorder, 5); // a border not given is 5
    EXPECT_TRUE(hint.tip.bodyColourSet);
    EXPECT_EQ(hint.tip.BodyColor, 123u);
    EXPECT_EQ(hint.rect.left(), -2);
    // A wide text measures at most 500 pixels wide.
    hint = calcHintRect(m, QString(80, QLatin1Char('w')) + QStringLiteral(" ") + QString(80, QLatin1Char('v')));
    EXPECT_LE(hint.rect.right(), 500 + 7);
    EXPECT_GE(hint.rect.bottom(), 40);
}
