// Code page choice, decoding and the two writer forms.
#include "strings/QUILL_codepage.h"

#include <QBuffer>
#include <QFile>
#include <gtest/gtest.h>

#include <random>

namespace {

const QStringList kTable = {"es=1252", "fr=utf8", "ru=1251", "ja=932", "pl = 1250 ", "el= UTF8 ", "he=1255"};

} // namespace

TEST(ChooseCodepage, FirstMatchingLineInFileOrderDecides) {
    EXPECT_EQ(chooseCodepage("mymod_es.strings", kTable, false).c, 1252);
    EXPECT_EQ(chooseCodepage("MyMod_RU.STRINGS", kTable, false).c, 1251);
    EXPECT_EQ(chooseCodepage("_ja", kTable, false).c, 932);
    EXPECT_EQ(chooseCodepage("mymod_fr.strings", kTable, false).c, kCodepageUtf8);
    // "_es" occurs in "_escape": the es line decides before the ru line is tried.
    EXPECT_EQ(chooseCodepage("mymod_escape_ru.strings", kTable, false).c, 1252);
    // Values are trimmed; names are trimmed too, so "pl = 1250" is the pl rule.
    EXPECT_EQ(chooseCodepage("x_pl.dlstrings", kTable, false).c, 1250);
    EXPECT_EQ(chooseCodepage("x_el.dlstrings", {"el= utf8 "}, false).c, kCodepageUtf8);
    // A number that is not a known code page, and a value that is no number, select UTF-8.
    EXPECT_EQ(chooseCodepage("x_he.strings", kTable, false).s, "Utf8");
    EXPECT_EQ(chooseCodepage("x_de.strings", {"de=latin"}, false).c, kCodepageUtf8);
    // 65535 is the no-conversion entry.
    const rCodepage deloc = chooseCodepage("x_de.strings", {"de=65535"}, false);
    EXPECT_EQ(deloc.s, "ForceDeloc");
    EXPECT_TRUE(deloc.isForceDeloc());
    EXPECT_FALSE(deloc.isUtf8);
}

TEST(ChooseCodepage, ForcedUtf8MissingTableAndLinesWithoutEquals) {
    EXPECT_EQ(chooseCodepage("mymod_es.strings", kTable, true).c, kCodepageUtf8);
    EXPECT_EQ(chooseCodepage("mymod_es.strings", {}, false).s, "Utf8");
    // A line without "=" searches "_" alone: it decides for every name with an underscore, and selects UTF-8.
    const QStringList table = {"garbage", "es=1252"};
    EXPECT_EQ(chooseCodepage("mymod_es.strings", table, false).c, kCodepageUtf8);
    EXPECT_EQ(chooseCodepage("nounderscore", {"es", "=1252"}, false).c, kCodepageUtf8);
    const rCodepage utf8 = codepageFromNumber(65001);
    EXPECT_TRUE(utf8.isUtf8);
    EXPECT_EQ(utf8.c, 0);
    for (int n : {932, 1250, 1251, 1252, 1253, 1254, 1256}) {
        const rCodepage cp = codepageFromNumber(n);
        EXPECT_EQ(cp.c, n);
        EXPECT_EQ(cp.s, QString::number(n));
        EXPECT_FALSE(cp.isUtf8);
    }
}

TEST(ChooseCodepage, BundledTableMakesEnglish1252AndOtherLanguagesUtf8) {
    QFile file(QStringLiteral(QUILL_DATA_DIR "/codepage.txt"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QStringList table;
    for (const QByteArray& raw : file.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed().toLower();
        if (!line.isEmpty() && !line.startsWith('#')) table << line;
    }
    EXPECT_EQ(chooseCodepage("fallout4_en.strings", table, false).c, 1252);
    EXPECT_EQ(chooseCodepage("dlcrobot_en.ilstrings", table, false).c, 1252);
    for (const char* name : {"fallout4_fr.strings", "fallout4_de.strings", "fallout4_ru.strings", "mymod_enhanced_fr",
                             "fallout4_ja.dlstrings", "fallout4_esmx.strings", "fallout4_ptbr.strings"})
        EXPECT_TRUE(chooseCodepage(name, table, false).isUtf8) << name;
}

TEST(CodepageText, EveryCodePageRoundTripsItsOwnBytes) {
    // Every byte a single-byte code page defines decodes and encodes back to itself.
    for (int n : {1250, 1251, 1252, 1253, 1254, 1256}) {
        const rCodepage cp = codepageFromNumber(n);
        QByteArray all;
        for (int b = 0x20; b < 0x100; ++b)
            all.append(static_cast<char>(b));
        const QString text = decodeText(all, cp);
        QByteArray defined;
        for (int b = 0x20; b < 0x100; ++b) {
            const QByteArray one(1, static_cast<char>(b));
            const QString ch = decodeText(one, cp);
            if (ch.size() == 1 && ch[0] != QChar(0xFFFD) && ch[0] != QChar(0x1A)) defined.append(one);
        }
        EXPECT_GT(defined.size(), 200) << n;
        EXPECT_EQ(encodeText(decodeText(defined, cp), cp), defined) << n;
    }
    const rCodepage cp1252 = codepageFromNumber(1252);
    EXPECT_EQ(decodeText(QByteArray("caf\xE9 \x80", 6), cp1252), QString::fromUtf8("café €"));
    const rCodepage cp1251 = codepageFromNumber(1251);
    EXPECT_EQ(decodeText(QByteArray("\xCF\xF0\xE8", 3), cp1251), QString::fromUtf8("При"));
    const rCodepage sjis = codepageFromNumber(932);
    const QByteArray japanese("\x93\xfa\x96\x7b\x8c\xea", 6);
    EXPECT_EQ(decodeText(japanese, sjis), QString::fromUtf8("日本語"));
    EXPECT_EQ(encodeText(QString::fromUtf8("日本語"), sjis), japanese);
}

TEST(CodepageText, Cp932EntriesDoNotLeakACutCharacterIntoTheNext) {
    const rCodepage sjis = codepageFromNumber(932);
    (void)decodeText(QByteArray("\x82", 1), sjis); // a lead byte without its trail byte
    EXPECT_EQ(decodeText(QByteArray("A", 1), sjis), "A");
}

TEST(CodepageText, Utf8InvalidBytesBecomeReplacementCharacters) {
    const rCodepage utf8 = codepageFromNumber(65001);
    const QString text = decodeText(QByteArray("a\xFF\xFE"
                                               "b",
                                               4),
                                    utf8);
    EXPECT_TRUE(text.startsWith('a'));
    EXPECT_TRUE(text.endsWith('b'));
    EXPECT_TRUE(text.contains(QChar(0xFFFD)));
    EXPECT_EQ(decodeText(QByteArray(), utf8), QString());
}

TEST(CodepageText, UnrepresentableCharactersBecomeQuestionMarks) {
    const rCodepage cp1252 = codepageFromNumber(1252);
    EXPECT_EQ(encodeText(QString::fromUtf8("aĀ日😀b"), cp1252), QByteArray("a???b"));
    const rCodepage sjis = codepageFromNumber(932);
    EXPECT_EQ(encodeText(QString::fromUtf8("Ā日"), sjis), QByteArray("?\x93\xfa"));
    // A genuine U+001A is kept as the control byte.
    EXPECT_EQ(encodeText(QString(QChar(0x1A)), cp1252), QByteArray("\x1A"));
}

TEST(CodepageWriters, StreamWriterWithAndWithoutLength) {
    const rCodepage cp = codepageFromNumber(1252);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_EQ(cp.f(QString::fromUtf8("é"), buffer, false), 2);
    EXPECT_EQ(cp.f(QStringLiteral("ab"), buffer, true), 7);
    EXPECT_EQ(cp.f(QString(), buffer, true), 5);
    EXPECT_EQ(bytes, QByteArray("\xE9\0"
                                "\x03\0\0\0ab\0"
                                "\x01\0\0\0\0",
                                14));
}

TEST(CodepageWriters, OverLongTextsAreCutAtACharacterBoundaryKeepingTheZero) {
    const rCodepage utf8 = codepageFromNumber(65001);
    // 70000 ASCII bytes: 65534 bytes of text and the 0 byte.
    QByteArray buffer;
    EXPECT_EQ(utf8.fb(QString(70000, 'x'), buffer), kMaxEntryBytes);
    EXPECT_EQ(buffer.size(), kMaxEntryBytes);
    EXPECT_EQ(buffer.back(), '\0');
    // Two-byte characters: 65534 is even, so 32767 whole characters fit; with one ASCII byte first the last
    // character would be cut in half and is dropped instead.
    const QString accents = QStringLiteral("x") + QString(40000, QChar(0xE9));
    EXPECT_EQ(utf8.fb(accents, buffer), 65534);
    EXPECT_EQ(decodeText(QByteArrayView(buffer).chopped(1), utf8), accents.left(32767));
    // Shift-JIS: a double-byte character is never split.
    const rCodepage sjis = codepageFromNumber(932);
    const QString kanji = QStringLiteral("x") + QString(40000, QChar(0x65E5));
    EXPECT_EQ(sjis.fb(kanji, buffer), 65534);
    EXPECT_EQ(decodeText(QByteArrayView(buffer).chopped(1), sjis), kanji.left(32767));
    // The stream writer shares the rule and prefixes the length it wrote.
    QByteArray streamed;
    QBuffer out(&streamed);
    out.open(QIODevice::WriteOnly);
    EXPECT_EQ(utf8.f(QString(70000, 'y'), out, true), kMaxEntryBytes + 4);
    EXPECT_EQ(streamed.left(4), QByteArray("\xFF\xFF\0\0", 4));
}

TEST(CodepageWriters, ForceDelocKeepsAPluginFieldsBytesAndWritesTablesInTheSystemCodePage) {
    const rCodepage deloc = codepageFromNumber(kCodepageForceDeloc);
    QByteArray field("stored\0", 7);
    EXPECT_EQ(deloc.fb(QStringLiteral("changed"), field), 7);
    EXPECT_EQ(field, QByteArray("stored\0", 7));
    // The table writer gets real bytes, so every directory offset points at data.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_EQ(deloc.f(QStringLiteral("abc"), buffer, true), 8);
    EXPECT_EQ(bytes, QByteArray("\x04\0\0\0abc\0", 8));
    EXPECT_EQ(decodeText(QByteArray("abc"), deloc), "abc");
}

TEST(CodepageText, Utf8ReadAsEightBitIsRecognisedOnlyWhenEveryHighByteFormsUtf8) {
    const rCodepage cp1252 = codepageFromNumber(1252);
    const rCodepage cp1251 = codepageFromNumber(1251);
    const auto misread = [](const char* utf8, const rCodepage& cp) { return decodeText(QByteArrayView(utf8), cp); };
    EXPECT_TRUE(looksLikeUtf8ReadAsEightBit(misread("caf\xC3\xA9", cp1252), cp1252));
    EXPECT_TRUE(looksLikeUtf8ReadAsEightBit(misread("\xE2\x80\x93 dash", cp1252), cp1252));
    EXPECT_TRUE(looksLikeUtf8ReadAsEightBit(misread("\xD0\x9F\xD1\x80\xD0\xB8", cp1251), cp1251)); // "При"
    // Plain ASCII, real 1252 accents, a sequence cut short, an overlong form, a surrogate, past U+10FFFF.
    for (const char* bytes : {"plain", "caf\xE9", "caf\xC3", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80",
                              "\xF4\x90\x80\x80", "\xC3\xA9\xE9"})
        EXPECT_FALSE(looksLikeUtf8ReadAsEightBit(misread(bytes, cp1252), cp1252)) << bytes;
    // Texts read as UTF-8 are never suspected.
    EXPECT_FALSE(looksLikeUtf8ReadAsEightBit(QString::fromUtf8("caf\xC3\x83\xC2\xA9"), codepageFromNumber(65001)));

    // The probe's table gives the answers of a conversion per text: random bytes read with each code page, and texts
    // holding characters a code page lacks, its substitute character, a character outside the BMP, one the converter
    // drops (U+034F).
    std::mt19937 rng(7);
    const QString extras[] = {QStringLiteral("\u0100"), QStringLiteral("\u4E2D"), QStringLiteral("\U0001F600"),
                              QStringLiteral("\u001A"), QStringLiteral("\u20AC"), QStringLiteral("\u00C3"),
                              QStringLiteral("\u034F")};
    for (const int number : {1252, 1251, 1250, 932}) {
        const rCodepage cp = codepageFromNumber(number);
        TUtf8MisreadProbe probe(cp);
        for (int round = 0; round < 3000; ++round) {
            QByteArray bytes;
            for (int k = static_cast<int>(rng() % 8); k >= 0; --k)
                bytes.append(static_cast<char>(rng() % 3 == 0 ? 0x20 + rng() % 0x60 : 0x80 + rng() % 0x80));
            QString text = decodeText(bytes, cp);
            if (round % 5 == 0)
                text.insert(static_cast<qsizetype>(rng() % (text.size() + 1)), extras[rng() % std::size(extras)]);
            const TUtf8MisreadProbe::tKind kind = probe.classify(text);
            ASSERT_EQ(kind == TUtf8MisreadProbe::tKind::utf8, looksLikeUtf8ReadAsEightBit(text, cp))
                << number << " " << bytes.toHex().constData();
            bool wide = false;
            for (const QChar c : text)
                wide = wide || c.unicode() >= 0x80;
            ASSERT_EQ(kind == TUtf8MisreadProbe::tKind::ascii, !wide);
        }
    }
}
