#include "platform/Dialogs.h"

#include "support/TestEnvironment.h"
#include "support/UserInput.h"

#include <gtest/gtest-spi.h>

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

using namespace Platform;
using namespace Qt::StringLiterals;

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

// Every style the program shows, on the real box: Enter presses the style's default button, Esc
// answers No or Cancel where the box has one.
TEST_F(DialogsTest, TheRealBoxAnswersEnterAndEscAsItsStyleSays)
{
    env.dialogs.uninstall();
    const struct {
        int style;
        QStringList buttons;
        int enter;
        int esc;
        QMessageBox::Icon icon;
    } cases[] = {
        {OkOnly, {u"OK"_s}, Ok, Ok, QMessageBox::NoIcon},
        {Critical, {u"OK"_s}, Ok, Ok, QMessageBox::Critical},
        {Exclamation, {u"OK"_s}, Ok, Ok, QMessageBox::Warning},
        {Information, {u"OK"_s}, Ok, Ok, QMessageBox::Information},
        {YesNo | Information, {u"Yes"_s, u"No"_s}, Yes, No, QMessageBox::Information},
        {YesNo | Question, {u"Yes"_s, u"No"_s}, Yes, No, QMessageBox::Question},
        {YesNo | Question | DefaultButton2, {u"Yes"_s, u"No"_s}, No, No, QMessageBox::Question},
    };
    for (const auto &c : cases) {
        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
            SCOPED_TRACE(std::to_string(c.style) + (key == Qt::Key_Return ? " Enter" : " Esc"));
            QStringList buttons;
            QMessageBox::Icon icon = QMessageBox::NoIcon;
            TestSupport::whenMessageBoxShows([&](QMessageBox &box) {
                for (QAbstractButton *button : box.buttons())
                    buttons << button->text().remove(u'&');
                icon = box.icon();
                TestSupport::pressKey(&box, key);
            });
            EXPECT_EQ(msgBox(u"Go on?"_s, c.style, u"T"_s), key == Qt::Key_Return ? c.enter : c.esc);
            EXPECT_EQ(buttons, c.buttons);
            EXPECT_EQ(icon, c.icon);
        }
        EXPECT_EQ(defaultAnswer(c.style), c.enter);
        EXPECT_EQ(escapeAnswer(c.style), c.esc);
    }
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

TEST_F(DialogsTest, TheRealFileDialogShowsEachTypeOnceAndStartsInTheProgramFolder)
{
    env.dialogs.uninstall();
    const QString projects = env.programFolder() + QStringLiteral("Projects/");
    ASSERT_TRUE(QDir().mkpath(projects));
    const QString filter = QStringLiteral("Website Files (*.vqs)|*.vqs|Text Files(*.txt)|*.txt|All Files(*.*)|*.*|");
    const struct { bool save; QString defaultName; QString folder; QString name; } cases[] = {
        {false, QString(), env.programFolder(), QString()},
        {true, QString(), env.programFolder(), QString()},
        {true, projects + QStringLiteral("Shop.vqs"), projects, QStringLiteral("Shop.vqs")},
        {false, projects, projects, QString()},
    };
    for (const auto &c : cases) {
        QStringList types;
        QString folder;
        QString name;
        // Reads the open dialog, then cancels it.
        QTimer::singleShot(0, qApp, [&] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            ASSERT_TRUE(dialog);
            auto *typeBox = dialog->findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
            for (int i = 0; typeBox && i < typeBox->count(); ++i)
                types << typeBox->itemText(i);
            folder = dialog->directory().absolutePath() + QLatin1Char('/');
            if (auto *nameBox = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
                name = nameBox->text();
            dialog->reject();
        });
        int index = 1;
        EXPECT_TRUE(fileDialog(c.save, filter, c.defaultName, index).isEmpty());
        EXPECT_EQ(types.join(QStringLiteral(" | ")),
                  QStringLiteral("Website Files (*.vqs) | Text Files(*.txt) | All Files(*.*)"));
        EXPECT_EQ(folder, c.folder) << c.defaultName.toStdString();
        EXPECT_EQ(name, c.name) << c.defaultName.toStdString();
    }
}

TEST_F(DialogsTest, TheRealSaveDialogReportsTheChosenType)
{
    env.dialogs.uninstall();
    // {type shown first, type chosen (0: the one shown)}
    for (const auto &[first, chosen] : {std::pair{1, 2}, std::pair{2, 0}, std::pair{3, 1}}) {
        QTimer::singleShot(0, qApp, [chosen] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            ASSERT_TRUE(dialog);
            auto *typeBox = dialog->findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
            ASSERT_TRUE(typeBox);
            if (chosen > 0)
                typeBox->setCurrentIndex(chosen - 1);
            dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(QStringLiteral("notes"));
            QMetaObject::invokeMethod(dialog, "accept");   // as the Save button does
        });
        int index = first;
        const QString file =
            fileDialog(true, QStringLiteral("Site (*.vqs)|*.vqs|Text|*.txt|All Files(*.*)|*.*|"), QString(), index);
        EXPECT_EQ(file, env.programFolder() + QStringLiteral("notes")) << first;
        EXPECT_EQ(index, chosen > 0 ? chosen : first) << first;
    }
}
