// The formatted hint's text engine: the mark-up of book texts (bold, italic, underline, strike-out, font colours,
// aligned paragraphs, indents, line and page breaks, image placeholders, a plain-text mode) split into tokens and laid
// out in lines over a measuring interface. Headless: the hint window measures with its font metrics and paints the
// placed words; tests measure with a fixed-width fake.
#pragma once

#include <QRect>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

// The font state the mark-up changes. `colour` is the mark-up's colour number (a Windows colour, 0x00BBGGRR).
struct rHintFont {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    bool colourSet = false;
    uint32_t colour = 0;
    bool operator==(const rHintFont& o) const = default;
};

class THintMeasure {
public:
    virtual ~THintMeasure() = default;
    // The width and height of `text` drawn in `font`.
    virtual QSize textSize(const QString& text, const rHintFont& font) = 0;
};

// The frame of the hint, as the text may change it ("<body>").
struct rGlobalTipParam {
    bool drawFrame = true;
    int SideBorder = 7;
    int FootBorder = 5;
    int TopBorder = 3;
    int FirstLineHeight = 0;
    bool bodyColourSet = false; // else the tooltip background
    uint32_t BodyColor = 0;
};

// One word placed: its left edge, the baseline it stands on (the bottom of the line) and its font.
struct rHintWord {
    QString text;
    rHintFont font;
    int x = 0;
    int baseline = 0;
    int width = 0;
};

enum class THintAlign : int { left = 0, right = 1, centre = 2 };

struct rHintLayout {
    QRect rect;                   // right: the widest line; bottom: the top of the line after the last
    rGlobalTipParam tip;          //
    bool keepFullWidth = false;   // a word had to be cut
    std::vector<rHintWord> words; // in painting mode
};

inline constexpr int kHintMeasureOnly = 4;
inline constexpr int kHintMaxHeight = 400;

// The tokens of a hint text: tags, words (each with its trailing blank) and "<br>" for line feeds; unknown tags
// wrapped in "<b>" … "</b>", "<br>" before block-closing tags, leading and trailing line breaks dropped.
QStringList tokenizeHintText(const QString& text);

// Lays `text` out in `rect` (its right edge is the width available). With flags kHintMeasureOnly only the extent is
// computed; otherwise the words are placed with their alignment. The text is trimmed first; an empty text gives an
// empty rectangle.
rHintLayout layoutHintText(THintMeasure& measure, const QString& text, const QRect& rect, double leading, int flags);

// The hint's whole size for a text (CalcHintRect): measured in 500 pixels, grown by the borders and the first line.
rHintLayout calcHintRect(THintMeasure& measure, const QString& text);
