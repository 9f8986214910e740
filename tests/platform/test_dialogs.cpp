#include "platform/Dialogs.h"

#include "support/TestEnvironment.h"

#include <gtest/gtest-spi.h>

using namespace Platform;

using DialogsTest = TestSupport::VelquistTest;

namespace {

// Shows a message box with nothing queued, under a hook of its own.
void showUnexpectedBox()
{
    TestSupport::ScriptedDialogs dialogs;
    dialogs.install();
    const int answer = msgBox(QStringLiteral("Surprise"), YesNo | Question, QStringLiteral("T"));
    dialogs.uninstall();
    EXPECT_EQ(answer, No);
}

} // namespace

TEST(DialogHook, AnUnexpectedBoxFailsTheTestInsteadOfWaiting)
{
    EXPECT_NONFATAL_FAILURE(showUnexpectedBox(), "unexpected message box: \"Surprise\"");
}

TEST_F(DialogsTest, QueuedAnswersAreUsedInOrderAndLogged)
{
    env.dialogs.answerMessage(Yes);
    env.dialogs.answerInput(QStringLiteral("typed"));
    EXPECT_EQ(msgBox(QStringLiteral("Sure?"), YesNo | Question), Yes);
    EXPECT_EQ(inputBox(QStringLiteral("Name"), QStringLiteral("Ask"), QStringLiteral("def")), QStringLiteral("typed"));
    ASSERT_EQ(env.dialogs.shown().size(), 2);
    EXPECT_EQ(env.dialogs.shown()[0].title, QStringLiteral("Velquist"));
    EXPECT_EQ(env.dialogs.shown()[0].style, YesNo | Question);
    EXPECT_EQ(env.dialogs.shown()[1].defaultText, QStringLiteral("def"));
    EXPECT_EQ(env.dialogs.pendingAnswers(), 0);
}

TEST_F(DialogsTest, AnAnswerOfTheWrongKindIsNotConsumed)
{
    env.dialogs.answerInput(QStringLiteral("x"));
    EXPECT_NONFATAL_FAILURE(msgBox(QStringLiteral("Box")), "unexpected message box");
    EXPECT_EQ(env.dialogs.pendingAnswers(), 1);
    EXPECT_EQ(inputBox(QStringLiteral("p")), QStringLiteral("x"));
}

TEST_F(DialogsTest, FileDialogCancelLeavesTheFilterIndex)
{
    int index = 2;
    env.dialogs.answerFile(QString(), 1);
    EXPECT_TRUE(fileDialog(true, QStringLiteral("A|*.a|B|*.b|"), QStringLiteral("x"), index).isEmpty());
    EXPECT_EQ(index, 2);
    env.dialogs.answerFile(QStringLiteral("/tmp/y.b"), 2);
    index = 1;
    EXPECT_EQ(fileDialog(true, QStringLiteral("A|*.a|B|*.b|"), QStringLiteral("x"), index), QStringLiteral("/tmp/y.b"));
    EXPECT_EQ(index, 2);
    EXPECT_EQ(env.dialogs.shown().last().kind, DialogKind::SaveFile);
}

TEST(DialogFilters, WindowsFiltersBecomeQtNameFilters)
{
    EXPECT_EQ(qtNameFilters(QStringLiteral("Text files (*.txt)|*.txt|All Files (*.*)|*.*|")),
              (QStringList{QStringLiteral("Text files (*.txt) (*.txt)"), QStringLiteral("All Files (*.*) (*)")}));
    EXPECT_EQ(qtNameFilters(QStringLiteral("HTML|*.htm;*.html")), QStringList{QStringLiteral("HTML (*.htm *.html)")});
    EXPECT_TRUE(qtNameFilters(QString()).isEmpty());
}
