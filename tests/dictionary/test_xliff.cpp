// The XLIFF 1.2 writer and reader: texts that XML readers like to change, states, the shapes other tools write, and
// files that must be refused whole.
#include "dictionary/QUILL_xliff.h"

#include <QStringDecoder>
#include <gtest/gtest.h>
#include <map>

namespace {

const QString kTricky[] = {
    QStringLiteral("a & b < c > \"q\" 'x' ]]>"),
    QStringLiteral("line one\r\nline two\rline three\nend"),
    QStringLiteral("\ttabbed\t"),
    QStringLiteral("  blanks before and after  "),
    QStringLiteral(" "),
    QStringLiteral("<Alias=Player> looks at <Global=QuillCount>."),
    QString(),
    QString::fromUtf8("outside the plane: \xF0\x9F\x98\x80 \xF0\x9D\x84\x9E"),
    QStringLiteral("\r\n"),
};

rXliffDocument trickyDocument() {
    rXliffDocument d;
    d.original = QStringLiteral("Mod \"one\".esp");
    d.sourceLanguage = QStringLiteral("en");
    d.targetLanguage = QStringLiteral("fr");
    const TXliffState states[] = {TXliffState::newUnit, TXliffState::translated, TXliffState::needsReview,
                                  TXliffState::final, TXliffState::none};
    int i = 0;
    for (const QString& text : kTricky) {
        rXliffUnit u;
        u.id = QStringLiteral("id\t%1 <&>").arg(i);
        u.resname = QStringLiteral("Edid\r\n%1").arg(i);
        u.source = text;
        u.target = text + QStringLiteral("|") + text;
        u.hasTarget = true;
        u.state = states[i % 5];
        u.note = QStringLiteral("record WEAP, field FULL\r\n");
        u.maxWidth = i;
        d.units.push_back(u);
        ++i;
    }
    return d;
}

rXliffDocument readOk(const QByteArray& bytes) {
    rXliffDocument d;
    const rXliffReadResult r = readXliff(bytes, d);
    EXPECT_EQ(r.error, TXliffError::none) << r.detail.toStdString() << "\n" << bytes.toStdString();
    return d;
}

} // namespace

TEST(Xliff, EveryCharacterComesBackThroughWriteAndRead) {
    const rXliffDocument written = trickyDocument();
    const QByteArray bytes = writeXliff(written);
    // A carriage return must never reach a reader as a raw byte: every reader turns it into a line feed.
    EXPECT_FALSE(bytes.contains('\r'));
    EXPECT_TRUE(bytes.contains("&#13;"));
    EXPECT_TRUE(bytes.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<xliff version=\"1.2\""));
    EXPECT_TRUE(bytes.contains("xml:space=\"preserve\""));
    EXPECT_TRUE(bytes.contains("maxwidth=\"3\" size-unit=\"char\""));
    EXPECT_FALSE(bytes.contains("maxwidth=\"0\""));
    const rXliffDocument read = readOk(bytes);
    EXPECT_EQ(read.original, written.original);
    EXPECT_EQ(read.sourceLanguage, QStringLiteral("en"));
    EXPECT_EQ(read.targetLanguage, QStringLiteral("fr"));
    ASSERT_EQ(read.units.size(), written.units.size());
    for (size_t i = 0; i < read.units.size(); ++i) {
        const rXliffUnit& a = written.units[i];
        const rXliffUnit& b = read.units[i];
        EXPECT_EQ(b.id, a.id) << i;
        EXPECT_EQ(b.resname, a.resname) << i;
        EXPECT_EQ(b.source, a.source) << i;
        EXPECT_EQ(b.target, a.target) << i;
        EXPECT_TRUE(b.hasTarget);
        EXPECT_EQ(b.state, a.state) << i;
        EXPECT_EQ(b.note, a.note) << i;
        EXPECT_EQ(b.maxWidth, a.maxWidth) << i;
        EXPECT_FALSE(b.markup);
    }
}

TEST(Xliff, StatesAndTheirNames) {
    EXPECT_EQ(xliffStateName(TXliffState::newUnit), QStringLiteral("new"));
    EXPECT_EQ(xliffStateName(TXliffState::translated), QStringLiteral("translated"));
    EXPECT_EQ(xliffStateName(TXliffState::needsReview), QStringLiteral("needs-review-translation"));
    EXPECT_EQ(xliffStateName(TXliffState::final), QStringLiteral("final"));
    EXPECT_EQ(xliffStateOf(QStringLiteral("signed-off")), TXliffState::translated);
    EXPECT_EQ(xliffStateOf(QStringLiteral("needs-adaptation")), TXliffState::needsReview);
    EXPECT_EQ(xliffStateOf(QStringLiteral("x-custom")), TXliffState::none);
    EXPECT_EQ(xliffStateOf(QString()), TXliffState::none);
}

TEST(Xliff, ReadsWhatOtherToolsWrite) {
    // A prefixed namespace, nested groups, CDATA, a literal CR LF (a line feed to any reader), approved="yes", a unit
    // without target, inline codes in a target, and blanks-only texts.
    const QByteArray file = "<?xml version='1.0'?>\r\n"
                            "<x:xliff xmlns:x='urn:oasis:names:tc:xliff:document:1.2' version='1.2'>"
                            "<x:file original='a.txt' source-language='en-US' datatype='po'><x:header/><x:body>"
                            "<x:trans-unit id='1'><x:source>one\r\ntwo</x:source>"
                            "<x:target state='translated'><![CDATA[un <b>]]>&#13;</x:target></x:trans-unit>"
                            "<x:group id='g'><x:group><x:trans-unit id='2' approved='yes'><x:source> </x:source>"
                            "<x:target>  </x:target></x:trans-unit></x:group>"
                            "<x:trans-unit id='3'><x:source>three</x:source></x:trans-unit></x:group>"
                            "<x:trans-unit id='4'><x:source>four</x:source><x:target>a<x:g id='1'>b</x:g></x:target>"
                            "</x:trans-unit></x:body></x:file></x:xliff>";
    const rXliffDocument d = readOk(file);
    EXPECT_EQ(d.sourceLanguage, QStringLiteral("en-US"));
    EXPECT_TRUE(d.targetLanguage.isEmpty());
    ASSERT_EQ(d.units.size(), 4u);
    std::map<QString, rXliffUnit> byId;
    for (const auto& u : d.units)
        byId[u.id] = u;
    EXPECT_EQ(byId["1"].source, QStringLiteral("one\ntwo"));
    EXPECT_EQ(byId["1"].target, QStringLiteral("un <b>\r"));
    EXPECT_EQ(byId["1"].state, TXliffState::translated);
    EXPECT_EQ(byId["2"].source, QStringLiteral(" "));
    EXPECT_EQ(byId["2"].target, QStringLiteral("  "));
    EXPECT_EQ(byId["2"].state, TXliffState::final);
    EXPECT_FALSE(byId["3"].hasTarget);
    EXPECT_TRUE(byId["4"].markup);
    EXPECT_FALSE(byId["1"].markup);

    // The same document as UTF-16 with its byte order mark.
    QByteArray utf16("\xFF\xFE", 2);
    const QString text = QString::fromUtf8(file).replace(QStringLiteral("<?xml version='1.0'?>"), QString());
    utf16.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    EXPECT_EQ(readOk(utf16).units.size(), 4u);
}

TEST(Xliff, RefusesFilesThatAreNotXliff12Whole) {
    struct rCase {
        QByteArray bytes;
        TXliffError error;
    };
    const rCase cases[] = {
        {"", TXliffError::notXml},
        {"PK\x03\x04 zip bytes", TXliffError::notXml},
        {"<xliff version='1.2'><file><body><trans-unit id='1'>", TXliffError::notXml},
        {"<html><body/></html>", TXliffError::notXliff12},
        {"<xliff version='2.0' xmlns='urn:oasis:names:tc:xliff:document:2.0'><file id='f'/></xliff>",
         TXliffError::notXliff12},
        {"<xliff><file><body/></file></xliff>", TXliffError::notXliff12},
        {"<xliff version='1.2'><file><body><trans-unit id='1'><source>a</source></trans-unit>"
         "<trans-unit><source>b</source></trans-unit></body></file></xliff>",
         TXliffError::unitWithoutId},
        {"<xliff version='1.2'><file><body><group><trans-unit id=''/></group></body></file></xliff>",
         TXliffError::unitWithoutId},
    };
    for (const rCase& c : cases) {
        rXliffDocument d;
        d.units.push_back({});
        EXPECT_EQ(readXliff(c.bytes, d).error, c.error) << c.bytes.toStdString();
        EXPECT_TRUE(d.units.empty()) << c.bytes.toStdString();
    }
    // An external entity is never fetched nor expanded.
    rXliffDocument d;
    const QByteArray xxe = "<!DOCTYPE x [<!ENTITY e SYSTEM 'file:///etc/passwd'>]><xliff version='1.2'><file><body>"
                           "<trans-unit id='1'><source>&e;</source></trans-unit></body></file></xliff>";
    if (readXliff(xxe, d).error == TXliffError::none) {
        ASSERT_EQ(d.units.size(), 1u);
        EXPECT_FALSE(d.units[0].source.contains(QStringLiteral("root")));
    }
}

TEST(Xliff, XmlCharacterData) {
    EXPECT_TRUE(isXmlCharacterData(QStringLiteral("\t\r\n ok")));
    EXPECT_TRUE(isXmlCharacterData(QString::fromUtf8("\xF0\x9F\x98\x80")));
    EXPECT_FALSE(isXmlCharacterData(QString(QChar(0x01))));
    EXPECT_FALSE(isXmlCharacterData(QString(QChar(0))));
    EXPECT_FALSE(isXmlCharacterData(QString(QChar(0xD800))));                       // lone high surrogate
    EXPECT_FALSE(isXmlCharacterData(QString(QChar(0xDC00)) + QStringLiteral("a"))); // lone low surrogate
    EXPECT_FALSE(isXmlCharacterData(QString(QChar(0xFFFF))));
}
