#include "platform/modBase64Encode.h"

#include "support/TestEnvironment.h"

using modBase64Encode::base64Encode;

using Base64Test = TestSupport::VelquistTest;

TEST_F(Base64Test, StandardExamples)
{
    EXPECT_EQ(base64Encode(QStringLiteral("abc")), QStringLiteral("YWJj"));
    EXPECT_EQ(base64Encode(QStringLiteral("a")), QStringLiteral("YQ=="));
    EXPECT_EQ(base64Encode(QStringLiteral("ab")), QStringLiteral("YWI="));
    EXPECT_EQ(base64Encode(QString()), QString());
    EXPECT_EQ(base64Encode(QStringLiteral("u:p")), QStringLiteral("dTpw"));
    EXPECT_EQ(base64Encode(QStringLiteral("user:pass")), QStringLiteral("dXNlcjpwYXNz"));
    EXPECT_EQ(base64Encode(QStringLiteral("\u00E9")), QStringLiteral("6Q=="));
    EXPECT_EQ(base64Encode(QStringLiteral("\u20AC")), QStringLiteral("gA=="));
    EXPECT_EQ(base64Encode(QStringLiteral("\xFF\xFE")), QStringLiteral("//4="));
    EXPECT_TRUE(env.dialogs.shown().isEmpty());
}

TEST_F(Base64Test, PiecesJoinWithoutLineBreaksOrInnerPadding)
{
    const QString x54 = base64Encode(QString(54, u'x'));
    EXPECT_EQ(x54.size(), 72);
    EXPECT_FALSE(x54.contains(u'='));
    const QString x55 = base64Encode(QString(55, u'x'));
    EXPECT_EQ(x55.size(), 76);
    EXPECT_TRUE(x55.endsWith(QStringLiteral("eA==")));
    const QString x200 = base64Encode(QString(200, u'x'));
    EXPECT_EQ(x200, QString::fromLatin1(QByteArray(200, 'x').toBase64()));
    EXPECT_FALSE(x200.contains(u'\n'));
}

TEST_F(Base64Test, PieceWithAnUnencodableCharacterIsLeftOutAfterABox)
{
    env.dialogs.answerMessage(Platform::Ok);
    // 54 good characters, then a piece holding a character outside the code page, then 3 more.
    const QString text = QString(54, u'a') + QStringLiteral("b\u4E2D") + QString(52, u'c') + QStringLiteral("def");
    const QString encoded = base64Encode(text);
    const QString expected = QString::fromLatin1(QByteArray(54, 'a').toBase64())
                             + QString::fromLatin1(QByteArray("def").toBase64());
    EXPECT_EQ(encoded, expected);
    ASSERT_EQ(env.dialogs.shown().size(), 1);
    EXPECT_EQ(env.dialogs.shown()[0].title, QStringLiteral("Encode"));
    EXPECT_EQ(env.dialogs.shown()[0].style, Platform::Exclamation);
}

TEST_F(Base64Test, NameWithAnUnencodableCharacterGivesNothing)
{
    env.dialogs.answerMessage(Platform::Ok);
    EXPECT_EQ(base64Encode(QStringLiteral("\u4E2D:pw")), QString());
    EXPECT_EQ(env.dialogs.shown().size(), 1);
}
