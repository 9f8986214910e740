#include "platform/Codec1252.h"

#include <gtest/gtest.h>

#include <QSet>

using namespace Platform;

namespace {

QByteArray allBytes()
{
    QByteArray bytes;
    for (int b = 0; b < 256; ++b)
        bytes.append(static_cast<char>(b));
    return bytes;
}

} // namespace

TEST(Codec1252, EveryByteRoundTripsAndMapsToOneDistinctCharacter)
{
    const QByteArray bytes = allBytes();
    const QString text = fromAnsi(bytes);
    ASSERT_EQ(text.size(), 256);
    QSet<char16_t> seen;
    for (QChar c : text)
        seen.insert(c.unicode());
    EXPECT_EQ(seen.size(), 256) << "two bytes share a character";
    bool all = false;
    EXPECT_EQ(toAnsi(text, &all), bytes);
    EXPECT_TRUE(all);
}

TEST(Codec1252, HighBytesFollowWindows1252)
{
    EXPECT_EQ(fromAnsi(QByteArray("\x80")), QString(QChar(0x20AC)));
    EXPECT_EQ(fromAnsi(QByteArray("\x92")), QString(QChar(0x2019)));
    EXPECT_EQ(fromAnsi(QByteArray("\x9F")), QString(QChar(0x0178)));
    EXPECT_EQ(fromAnsi(QByteArray("\xE9")), QString(QChar(0x00E9)));
    // Unassigned bytes keep their value as C1 controls.
    for (unsigned char b : {0x81, 0x8D, 0x8F, 0x90, 0x9D})
        EXPECT_EQ(fromAnsi(QByteArray(1, static_cast<char>(b))).at(0).unicode(), b);
}

TEST(Codec1252, UnencodableCharactersBecomeQuestionMarks)
{
    bool all = true;
    EXPECT_EQ(toAnsi(QStringLiteral("a\u4E2Db\u20AC"), &all), QByteArray("a?b\x80"));
    EXPECT_FALSE(all);
    // C1 controls that stand for a Windows-1252 letter have no byte of their own.
    EXPECT_EQ(toAnsi(QString(QChar(0x0080))), QByteArray("?"));
    unsigned char b = 0;
    EXPECT_FALSE(ansiByteOf(QChar(0x0080), &b));
    EXPECT_TRUE(ansiByteOf(QChar(0x0153), &b));
    EXPECT_EQ(b, 0x9C);
}

TEST(Codec1252, HtmlOutputEscapesOnlyWhatHasNoByte)
{
    EXPECT_EQ(toAnsiHtml(QStringLiteral("<\u00E9\u4E2D>")), QByteArray("<\xE9&#20013;>"));
    // A character outside the basic plane becomes one reference, not two halves.
    EXPECT_EQ(toAnsiHtml(QString::fromUcs4(U"x\U0001F600")), QByteArray("x&#128512;"));
    EXPECT_EQ(toAnsiHtml(QString()), QByteArray());
    // Bytes of 0x80..0x9F on both sides of the first reference.
    EXPECT_EQ(toAnsiHtml(QStringLiteral("\u20AC\u4E2D\u2122\u00FF")), QByteArray("\x80&#20013;\x99\xFF"));
}

TEST(Codec1252, Utf8FileBytesSurviveTheRoundTrip)
{
    const QByteArray utf8 = QStringLiteral("caf\u00E9 \u4E2D\u6587 \u20AC").toUtf8();
    EXPECT_EQ(toAnsi(fromAnsi(utf8)), utf8);
}
