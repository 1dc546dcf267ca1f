// The hint mark-up: tokens, their meaning, and the line layout.
#include "display/QUILL_Hint.h"

#include <cmath>

namespace {

// Tags the engine knows by their start; any other tag is shown as text, in bold.
const char* const kKnownPrefixes[] = {"<font", "</font>", "<br>", "</br>",  "<b>",      "</b>", "<i>", "</i>",
                                      "<p",    "</p>",    "<div", "</div>", "<center>", "<u>",  "</u>"};
// Closing a block starts a new line.
const char* const kBlockClosing[] = {"</p>", "</div>", "</center>", "</right>"};

void splitWords(const QString& text, QStringList& tokens) {
    QString word;
    for (const QChar c : text) {
        if (c == QLatin1Char(' ')) {
            tokens << word + QLatin1Char(' ');
            word.clear();
        } else if (c == QLatin1Char('\n')) {
            if (!word.isEmpty()) tokens << word;
            word.clear();
            tokens << QStringLiteral("<br>");
        } else if (c != QLatin1Char('\r')) {
            word += c;
        }
    }
    if (!word.isEmpty()) tokens << word;
}

bool isLineBreakToken(const QString& token) {
    const QString low = token.toLower();
    return low == QLatin1String("<br>") || low == QLatin1String("<br/>");
}

// The value of `name` ("color=") in a lower-cased tag: quoted up to a quote or '>', else up to a blank or '>'.
QString attribute(const QString& tag, const char* name) {
    const QLatin1String key(name);
    const qsizetype at = tag.indexOf(key);
    if (at < 0) return {};
    qsizetype i = at + key.size();
    QString value;
    if (i < tag.size() && (tag[i] == QLatin1Char('"') || tag[i] == QLatin1Char('\''))) {
        for (++i; i < tag.size(); ++i) {
            const QChar c = tag[i];
            if (c == QLatin1Char('"') || c == QLatin1Char('\'') || c == QLatin1Char('>')) break;
            value += c;
        }
    } else {
        for (; i < tag.size(); ++i) {
            const QChar c = tag[i];
            if (c == QLatin1Char(' ') || c == QLatin1Char('>')) break;
            value += c;
        }
    }
    return value;
}

int intAttribute(const QString& tag, const char* name, int fallback) {
    bool ok = false;
    const int v = attribute(tag, name).toInt(&ok);
    return ok ? v : fallback;
}

enum class TKind { brk, word, format, indent };

class TLayout {
public:
    TLayout(THintMeasure& measure, QStringList tokens, const QRect& rect, double leading, int flags)
        : measure_(measure), tokens_(std::move(tokens)), leading_(leading), flags_(flags), left_(rect.left()),
          top_(rect.top()), right_(rect.right()) {
        staticLineHeight_ =
            static_cast<int>(std::lround(leading * measure_.textSize(QStringLiteral("Hy"), {}).height()));
    }

    rHintLayout run();

private:
    bool painting() const { return flags_ != kHintMeasureOnly; }
    // What a token is, and its effect applied now (formats and indents); `text` receives a word's drawn text.
    TKind apply(const QString& token, bool measuringLine, QString& text);
    int width() const { return right_ - left_; }

    THintMeasure& measure_;
    QStringList tokens_;
    double leading_;
    int flags_;
    int left_, top_, right_;
    int staticLineHeight_ = 0;
    rHintFont font_;
    rHintFont lastFont_;
    bool plain_ = false;
    THintAlign align_ = THintAlign::left;
    int indentL_ = 0, indentD_ = 0;
    rGlobalTipParam tip_;
    bool keepFullWidth_ = false;
};

TKind TLayout::apply(const QString& token, bool measuringLine, QString& text) {
    const QString low = token.toLower();
    text = token;
    if (low == QLatin1String("[pagebreak]") || low == QLatin1String("<pagebreak>")) return TKind::brk;
    if (!low.startsWith(QLatin1Char('<'))) return TKind::word;
    if (low.contains(QLatin1String("<br>")) || low.contains(QLatin1String("<br/>"))) return TKind::brk;
    if (low.contains(QLatin1String("<pt>"))) {
        plain_ = true;
        return TKind::format;
    }
    if (low.contains(QLatin1String("</pt>"))) {
        plain_ = false;
        return TKind::format;
    }
    if (plain_) return TKind::word;
    if (low.contains(QLatin1String("<body"))) {
        if (measuringLine) {
            const QString smax = attribute(low, "smax=");
            bool ok = false;
            const int maxWidth = smax.toInt(&ok);
            right_ = (ok ? maxWidth : right_) + (ok ? left_ : 0);
            tip_.SideBorder = intAttribute(low, "side=", 5);
            tip_.FootBorder = intAttribute(low, "foot=", 5);
            tip_.TopBorder = intAttribute(low, "top=", 5);
            const QString colour = attribute(low, "color=");
            tip_.bodyColourSet = !colour.isEmpty();
            tip_.BodyColor = colour.toUInt();
        }
        return TKind::format;
    }
    for (const char* tag : {"<center>", "<right>", "<left>", "</center>", "</right>"}) {
        if (!low.contains(QLatin1String(tag))) continue;
        if (painting())
            align_ = tag[1] == 'c' ? THintAlign::centre : tag[1] == 'r' ? THintAlign::right : THintAlign::left;
        return TKind::format;
    }
    struct rStyle {
        const char* on;
        const char* off;
        bool rHintFont::*flag;
    };
    for (const rStyle& s :
         {rStyle{"<b>", "</b>", &rHintFont::bold}, rStyle{"<i>", "</i>", &rHintFont::italic},
          rStyle{"<u>", "</u>", &rHintFont::underline}, rStyle{"<s>", "</s>", &rHintFont::strikeOut}}) {
        if (low.contains(QLatin1String(s.on))) {
            font_.*s.flag = true;
            return TKind::format;
        }
        if (low.contains(QLatin1String(s.off))) {
            font_.*s.flag = false;
            return TKind::format;
        }
    }
    if (low.contains(QLatin1String("<font"))) {
        lastFont_ = font_;
        const QString colour = attribute(low, "color=");
        if (!colour.isEmpty()) {
            font_.colourSet = true;
            font_.colour = colour.toUInt(); // 0 when not a number
        }
        return TKind::format;
    }
    if (low.contains(QLatin1String("<p")) || low.contains(QLatin1String("<div"))) {
        if (painting()) {
            const QString how = attribute(low, "align=");
            if (how == QLatin1String("left")) align_ = THintAlign::left;
            if (how == QLatin1String("right")) align_ = THintAlign::right;
            if (how == QLatin1String("center")) align_ = THintAlign::centre;
        }
        return TKind::format;
    }
    if (low.contains(QLatin1String("</p>")) || low.contains(QLatin1String("</div>"))) {
        if (painting()) align_ = THintAlign::left;
        return TKind::format;
    }
    if (low.contains(QLatin1String("<img"))) {
        QString name = attribute(low, "src=");
        if (name.isEmpty()) return TKind::format;
        name = name.mid(name.lastIndexOf(QLatin1Char('/')) + 1);
        if (const qsizetype dot = name.lastIndexOf(QLatin1Char('.')); dot >= 0) name.truncate(dot);
        text = name.contains(QLatin1String("_letter")) ? name.left(1).toUpper() : QStringLiteral("[img]") + name;
        return TKind::word;
    }
    if (low.contains(QLatin1String("</font>"))) {
        font_ = lastFont_;
        return TKind::format;
    }
    if (low.contains(QLatin1String("<ind"))) {
        const int l = intAttribute(low, "left=", 0);
        const int r = intAttribute(low, "right=", 0);
        if (l + r < width()) {
            indentL_ = l;
            indentD_ = r;
            return TKind::indent;
        }
        indentL_ = indentD_ = 0;
        return TKind::format;
    }
    return TKind::word;
}

rHintLayout TLayout::run() {
    rHintLayout out;
    int widest = left_;
    int baseline = top_;
    bool truncated = false;
    qsizetype next = 0;
    for (int line = 1; next < tokens_.size(); ++line) {
        if (!truncated && baseline - top_ > kHintMaxHeight) {
            // Too tall: what is left gives way to one last line saying so.
            tokens_.resize(next);
            tokens_ << QStringLiteral("</b>") << QStringLiteral("[...]");
            truncated = true;
        }
        const rHintFont startFont = font_;
        const bool startPlain = plain_;
        int lineStart = left_ + indentL_ + indentD_;
        int x = lineStart;
        int words = 0;
        int tallest = 0;
        qsizetype end = next;
        QString text;
        // Measure: which tokens the line takes.
        while (end < tokens_.size()) {
            const TKind kind = apply(tokens_[end], true, text);
            if (kind == TKind::brk) {
                ++end;
                break;
            }
            if (kind == TKind::indent) {
                if (words > 0)
                    x = qMax(x, left_ + indentL_ + indentD_);
                else
                    lineStart = x = left_ + indentL_;
            } else if (kind == TKind::word) {
                QSize size = measure_.textSize(text, font_);
                if (line == 1) tip_.FirstLineHeight = qMax(tip_.FirstLineHeight, size.height());
                if (x + size.width() > right_) {
                    if (words > 0) break; // the word starts the next line
                    // Alone and too wide: cut it where it fits, the rest becomes the next token.
                    const int available = right_ - lineStart - indentD_;
                    qsizetype n = std::lround(text.size() * (double(available) / qMax(1, size.width())) * 1.05);
                    n = qBound<qsizetype>(1, n, text.size() - 1);
                    while (n > 1 && measure_.textSize(text.left(n), font_).width() >= available)
                        --n;
                    if (text.size() > 1) {
                        tokens_.insert(end + 1, text.mid(n));
                        tokens_[end] = text.left(n);
                        text = tokens_[end];
                        size = measure_.textSize(text, font_);
                    }
                    keepFullWidth_ = true;
                }
                ++words;
                x += size.width();
                widest = qMax(widest, x);
                tallest = qMax(tallest, size.height());
            }
            ++end;
        }
        if (line > 1) baseline += words > 0 ? static_cast<int>(std::lround(tallest * leading_)) : staticLineHeight_;
        if (!painting()) {
            right_ = qMax(right_, x);
        } else {
            // Paint: replay the line from its start state and place its words.
            font_ = startFont;
            plain_ = startPlain;
            int pen = lineStart;
            if (align_ == THintAlign::right) pen = lineStart + right_ - x;
            if (align_ == THintAlign::centre) pen = lineStart + (right_ - x) / 2;
            for (qsizetype i = next; i < end; ++i) {
                const TKind kind = apply(tokens_[i], false, text);
                if (kind == TKind::indent) pen = qMax(pen, left_ + indentL_);
                if (kind != TKind::word) continue;
                const int w = measure_.textSize(text, font_).width();
                out.words.push_back({text, font_, pen, baseline, w});
                pen += w;
            }
        }
        next = end;
    }
    out.rect = QRect(QPoint(left_, top_), QPoint(widest, baseline));
    out.tip = tip_;
    out.keepFullWidth = keepFullWidth_;
    return out;
}

QString trimControls(const QString& text) {
    qsizetype from = 0, to = text.size();
    while (from < to && text[from].unicode() <= 32)
        ++from;
    while (to > from && text[to - 1].unicode() <= 32)
        --to;
    return text.mid(from, to - from);
}

} // namespace

QStringList tokenizeHintText(const QString& text) {
    QStringList tokens;
    QString work = text;
    while (!work.isEmpty()) {
        const qsizetype open = work.indexOf(QLatin1Char('<'));
        if (open < 0) {
            splitWords(work, tokens);
            break;
        }
        if (open > 0) {
            splitWords(work.left(open), tokens);
            work.remove(0, open);
            continue;
        }
        const qsizetype close = work.indexOf(QLatin1Char('>'));
        if (close < 0) {
            splitWords(work, tokens);
            break;
        }
        const QString tag = work.left(close + 1);
        const QString low = tag.toLower();
        for (const char* block : kBlockClosing)
            if (low == QLatin1String(block)) tokens << QStringLiteral("<br>");
        // A self-closed line break is a line break, not text.
        bool known = low.startsWith(QLatin1String("<br/>"));
        for (const char* prefix : kKnownPrefixes)
            known = known || low.startsWith(QLatin1String(prefix));
        if (known)
            tokens << tag;
        else
            tokens << QStringLiteral("<b>") << tag << QStringLiteral("</b>");
        work.remove(0, close + 1);
    }
    while (!tokens.isEmpty() && isLineBreakToken(tokens.first()))
        tokens.removeFirst();
    while (!tokens.isEmpty() && isLineBreakToken(tokens.last()))
        tokens.removeLast();
    return tokens;
}

rHintLayout layoutHintText(THintMeasure& measure, const QString& text, const QRect& rect, double leading, int flags) {
    const QString trimmed = trimControls(text);
    if (trimmed.isEmpty()) {
        rHintLayout empty;
        empty.rect = QRect(rect.topLeft(), QSize(0, 0));
        return empty;
    }
    return TLayout(measure, tokenizeHintText(trimmed), rect, leading, flags).run();
}

rHintLayout calcHintRect(THintMeasure& measure, const QString& text) {
    rHintLayout layout = layoutHintText(measure, text, QRect(QPoint(0, 0), QPoint(500, 0)), 1.0, kHintMeasureOnly);
    if (trimControls(text).isEmpty()) return layout;
    const rGlobalTipParam& tip = layout.tip;
    layout.rect.setBottom(layout.rect.bottom() + tip.FirstLineHeight + tip.FootBorder + tip.TopBorder + 4);
    layout.rect.setLeft(layout.rect.left() - tip.SideBorder);
    layout.rect.setRight(layout.rect.right() + tip.SideBorder);
    return layout;
}
