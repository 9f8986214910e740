#include "core/modCommon.h"
#include "core/modStartUp.h"

#include "support/TestEnvironment.h"
#include "platform/Codec1252.h"

#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QScreen>
#include <QVBoxLayout>
#include <QWidget>
#include <cmath>

using TestSupport::TestEnvironment;

namespace {

class ModCommonTest : public TestSupport::VelquistTest {
protected:
    void SetUp() override { WindowsDir = env.engineDataFolder(); }
    QString iniPath() const { return env.root() + QStringLiteral("/site.vqs"); }
    QString history() const { return env.engineDataFolder() + QStringLiteral("orvane.dmc"); }
    static QStringList items(const QComboBox &combo)
    {
        QStringList list;
        for (int i = 0; i < combo.count(); ++i)
            list.append(combo.itemText(i));
        return list;
    }
    static void fill(QComboBox &combo, int count, const QString &prefix = QStringLiteral("item"))
    {
        for (int i = 1; i <= count; ++i)
            combo.addItem(prefix + QString::number(i));
    }
};

} // namespace

TEST_F(ModCommonTest, ReadIniValueFollowsTheProfileRules)
{
    TestEnvironment::writeFile(iniPath(), "[WEB SITE INFO]\r\ntitle=  a=b  \r\nlong=" + QByteArray(300, 'x')
                                              + "\r\n[Web Site Info]\r\ntitle=second\r\n");
    EXPECT_EQ(modCommon::readINIValue(iniPath(), QStringLiteral("Web Site Info"), QStringLiteral("Title")),
              QStringLiteral("a=b"));
    EXPECT_EQ(modCommon::readINIValue(iniPath(), QStringLiteral("Web Site Info"), QStringLiteral("long")).size(), 300);
    EXPECT_EQ(modCommon::readINIValue(iniPath(), QStringLiteral("Web Site Info"), QStringLiteral("none")), QString());
    EXPECT_EQ(modCommon::readINIValue(env.root() + QStringLiteral("/missing.ini"), QStringLiteral("A"),
                                      QStringLiteral("b")),
              QString());
}

TEST_F(ModCommonTest, WriteIniValueReportsOneOrZero)
{
    EXPECT_EQ(modCommon::writeINIValue(iniPath(), QStringLiteral("URL"), QStringLiteral("1"), QStringLiteral("a\r\nb")),
              QStringLiteral("1"));
    EXPECT_EQ(TestEnvironment::readFile(iniPath()), QByteArray("[URL]\r\n1=a b\r\n"));
    EXPECT_EQ(modCommon::writeINIValue(env.root() + QStringLiteral("/no/folder/x.ini"), QStringLiteral("A"),
                                       QStringLiteral("b"), QStringLiteral("c")),
              QStringLiteral("0"));
}

TEST_F(ModCommonTest, EveryByteRoundTripsThroughWriteAndRead)
{
    QByteArray bytes;
    for (int b = 0; b < 256; ++b) {
        if (b != '\r' && b != '\n')
            bytes.append(static_cast<char>(b));
    }
    const QString value = u'[' + Platform::fromAnsi(bytes) + u']';
    ASSERT_EQ(modCommon::writeINIValue(iniPath(), QStringLiteral("S"), QStringLiteral("k"), value), QStringLiteral("1"));
    EXPECT_EQ(modCommon::readINIValue(iniPath(), QStringLiteral("S"), QStringLiteral("k")), value);
    EXPECT_TRUE(TestEnvironment::readFile(iniPath()).contains(QByteArray("k=[" + bytes + "]\r\n")));
}

TEST_F(ModCommonTest, TrimNullCutsAtTheFirstNul)
{
    EXPECT_EQ(modCommon::trimNull(QString::fromUtf16(u"ab\0cd", 5)), QStringLiteral("ab"));
    EXPECT_EQ(modCommon::trimNull(QStringLiteral("abc")), QStringLiteral("abc"));
    EXPECT_EQ(modCommon::trimNull(QString(QChar(0))), QString());
}

TEST_F(ModCommonTest, WindowsDirectoryIsTheEngineDataFolderEndingInASlash)
{
    EXPECT_EQ(modCommon::getWindowsDirectory(), env.engineDataFolder());
    TestEnvironment::writeFile(env.root() + QStringLiteral("/file"), "x");
    qputenv("VELQUIST_WINDIR", (env.root() + QStringLiteral("/file/sub")).toUtf8());
    EXPECT_EQ(modCommon::getWindowsDirectory(), QString());
}

TEST_F(ModCommonTest, SplitAtBarSplitsAtTheFirstBarOnly)
{
    QString text = QStringLiteral("Shop|/p/x.vqs|y");
    QString rest = QStringLiteral("old");
    modCommon::splitAtBar(text, rest);
    EXPECT_EQ(text, QStringLiteral("Shop"));
    EXPECT_EQ(rest, QStringLiteral("/p/x.vqs|y"));

    text = QStringLiteral("Shop");
    modCommon::splitAtBar(text, rest);
    EXPECT_EQ(text, QStringLiteral("Shop"));
    EXPECT_EQ(rest, QString());

    text = QStringLiteral("|");
    modCommon::splitAtBar(text, rest);
    EXPECT_EQ(text, QString());
    EXPECT_EQ(rest, QString());
}

TEST_F(ModCommonTest, ReplaceCrLfPicksOneSeparator)
{
    EXPECT_EQ(modCommon::replaceCrLf(QStringLiteral("a\r\nb\rc")), QStringLiteral("a b\rc"));
    EXPECT_EQ(modCommon::replaceCrLf(QStringLiteral("a\rb\nc")), QStringLiteral("a b\nc"));
    EXPECT_EQ(modCommon::replaceCrLf(QStringLiteral("a\nb")), QStringLiteral("a\nb"));
    EXPECT_EQ(modCommon::replaceCrLf(QStringLiteral("\r\n\r\n")), QStringLiteral("  "));
    EXPECT_EQ(modCommon::replaceCrLf(QString()), QString());
}

TEST_F(ModCommonTest, MultiLineBoxesGiveAndTakeCrLf)
{
    QPlainTextEdit box;
    modCommon::setMultiLineText(&box, QStringLiteral("one\r\ntwo\r\n"));
    EXPECT_EQ(box.toPlainText(), QStringLiteral("one\ntwo\n"));
    EXPECT_EQ(modCommon::multiLineText(&box), QStringLiteral("one\r\ntwo\r\n"));
    // The box's text then behaves as the CR LF helpers expect.
    EXPECT_EQ(modCommon::replaceCrLf(modCommon::multiLineText(&box)), QStringLiteral("one two "));
    EXPECT_EQ(modCommon::lfToCrLf(QStringLiteral("a\r\nb\nc")), QStringLiteral("a\r\nb\r\nc"));
    EXPECT_EQ(modCommon::lfToCrLf(QStringLiteral("\n")), QStringLiteral("\r\n"));
}

TEST_F(ModCommonTest, HistoryFileLivesInTheEngineDataFolder)
{
    EXPECT_EQ(modCommon::historyFile(), history());
    WindowsDir.clear();
    EXPECT_EQ(modCommon::historyFile(), QStringLiteral("orvane.dmc"));
}

TEST_F(ModCommonTest, LoadHistoryStopsAtTheFirstGapAndAtTheLimit)
{
    TestEnvironment::writeFile(history(), "[Optimizer]\r\n1=a\r\n2=b\r\n3=c\r\n4=d\r\n5=e\r\n7=g\r\n");
    QComboBox combo;
    combo.addItem(QStringLiteral("existing"));
    modCommon::loadHistory(&combo, QStringLiteral("optimizer"), 30);
    EXPECT_EQ(items(combo), (QStringList{QStringLiteral("existing"), QStringLiteral("a"), QStringLiteral("b"),
                                         QStringLiteral("c"), QStringLiteral("d"), QStringLiteral("e")}));
    QComboBox limited;
    modCommon::loadHistory(&limited, QStringLiteral("Optimizer"), 2);
    EXPECT_EQ(items(limited), (QStringList{QStringLiteral("a"), QStringLiteral("b")}));

    TestEnvironment::writeFile(history(), "[Search]\r\n1=a\r\n2=\r\n3=c\r\n");
    QComboBox gap;
    modCommon::loadHistory(&gap, QStringLiteral("Search"), 30);
    EXPECT_EQ(items(gap), QStringList{QStringLiteral("a")});
}

TEST_F(ModCommonTest, ProfileHistoryLoadsUpToAHundredAndKeepsStaleKeys)
{
    QByteArray file = "[DoorwayProfile]\r\n";
    for (int i = 1; i <= 100; ++i)
        file += QByteArray::number(i) + "=p" + QByteArray::number(i) + "\r\n";
    TestEnvironment::writeFile(history(), file);
    QComboBox combo;
    modCommon::loadHistory(&combo, QStringLiteral("DoorwayProfile"), 100);
    EXPECT_EQ(combo.count(), 100);
    combo.setItemText(0, QStringLiteral("changed"));
    modCommon::saveHistory(&combo, QStringLiteral("DoorwayProfile"));
    EXPECT_EQ(modCommon::readINIValue(history(), QStringLiteral("DoorwayProfile"), QStringLiteral("1")),
              QStringLiteral("changed"));
    EXPECT_EQ(modCommon::readINIValue(history(), QStringLiteral("DoorwayProfile"), QStringLiteral("100")),
              QStringLiteral("p100"));
    QComboBox reloaded;
    modCommon::loadHistory(&reloaded, QStringLiteral("DoorwayProfile"), 100);
    EXPECT_EQ(reloaded.count(), 100);
}

TEST_F(ModCommonTest, SaveHistoryWritesAtMostThirtyAndLeavesHigherKeys)
{
    QComboBox twenty;
    fill(twenty, 20, QStringLiteral("old"));
    modCommon::saveHistory(&twenty, QStringLiteral("Search"));
    QComboBox twelve;
    fill(twelve, 12, QStringLiteral("new"));
    modCommon::saveHistory(&twelve, QStringLiteral("Search"));
    EXPECT_EQ(modCommon::readINIValue(history(), QStringLiteral("Search"), QStringLiteral("12")), QStringLiteral("new12"));
    EXPECT_EQ(modCommon::readINIValue(history(), QStringLiteral("Search"), QStringLiteral("13")), QStringLiteral("old13"));
    EXPECT_EQ(modCommon::readINIValue(history(), QStringLiteral("Search"), QStringLiteral("20")), QStringLiteral("old20"));

    QComboBox forty;
    fill(forty, 40);
    modCommon::saveHistory(&forty, QStringLiteral("Doorway"));
    EXPECT_EQ(modCommon::readINIValue(history(), QStringLiteral("Doorway"), QStringLiteral("30")), QStringLiteral("item30"));
    EXPECT_EQ(modCommon::readINIValue(history(), QStringLiteral("Doorway"), QStringLiteral("31")), QString());
    const QByteArray written = TestEnvironment::readFile(history());
    EXPECT_TRUE(written.startsWith("[Search]\r\n1=new1\r\n2=new2\r\n")) << written.left(60).toStdString();
}

TEST_F(ModCommonTest, AddHistoryPutsNewTextOnTopOnce)
{
    QComboBox combo;
    combo.addItem(QStringLiteral("example.com"));
    combo.addItem(QStringLiteral("other.org"));
    modCommon::addHistory(&combo, QStringLiteral("Example.COM"));
    EXPECT_EQ(items(combo), (QStringList{QStringLiteral("example.com"), QStringLiteral("other.org")}));
    modCommon::addHistory(&combo, QStringLiteral("other.ORG"));
    EXPECT_EQ(items(combo).first(), QStringLiteral("example.com"));
    modCommon::addHistory(&combo, QStringLiteral("new.net"));
    EXPECT_EQ(items(combo).first(), QStringLiteral("new.net"));
    EXPECT_EQ(combo.count(), 3);
}

TEST_F(ModCommonTest, AddHistoryKeepsThirtyAndDropsTheOldest)
{
    QComboBox combo;
    for (int i = 1; i <= 30; ++i)
        modCommon::addHistory(&combo, QStringLiteral("e") + QString::number(i));
    EXPECT_EQ(combo.count(), 30);
    modCommon::addHistory(&combo, QStringLiteral("e31"));
    EXPECT_EQ(combo.count(), 30);
    EXPECT_EQ(combo.itemText(0), QStringLiteral("e31"));
    EXPECT_EQ(combo.itemText(29), QStringLiteral("e2"));

    // A longer list (profiles load up to 100) loses only its last entry.
    QComboBox profiles;
    fill(profiles, 100, QStringLiteral("p"));
    modCommon::addHistory(&profiles, QStringLiteral("newest"));
    EXPECT_EQ(profiles.count(), 100);
    EXPECT_EQ(profiles.itemText(0), QStringLiteral("newest"));
    EXPECT_EQ(profiles.itemText(99), QStringLiteral("p99"));
}

TEST_F(ModCommonTest, EmptyHistoryTextIsIgnoredSoTheListSurvives)
{
    QComboBox combo;
    combo.addItem(QStringLiteral("kept"));
    modCommon::addHistory(&combo, QString());
    modCommon::addHistory(&combo, QStringLiteral("   "));
    EXPECT_EQ(items(combo), QStringList{QStringLiteral("kept")});
    modCommon::saveHistory(&combo, QStringLiteral("KeywordBuilder"));
    QComboBox reloaded;
    modCommon::loadHistory(&reloaded, QStringLiteral("KeywordBuilder"), 30);
    EXPECT_EQ(items(reloaded), QStringList{QStringLiteral("kept")});
}

TEST_F(ModCommonTest, SaveHistoryStopsQuietlyWhenTheFileCannotBeWritten)
{
    WindowsDir = env.root() + QStringLiteral("/no/such/");
    QComboBox combo;
    fill(combo, 3);
    modCommon::saveHistory(&combo, QStringLiteral("Search"));
    EXPECT_FALSE(QFile::exists(WindowsDir + QStringLiteral("orvane.dmc")));
    EXPECT_TRUE(env.dialogs.shown().isEmpty());
}

TEST_F(ModCommonTest, FileDialogCancelGivesEmptyAndKeepsTheIndex)
{
    int index = 3;
    env.dialogs.answerFile(QString());
    EXPECT_EQ(modCommon::showFileDialog(true, QStringLiteral("A|*.a|B|*.b|"), QStringLiteral("x.a"), index), QString());
    EXPECT_EQ(index, 3);
}

TEST_F(ModCommonTest, SaveDialogReportsTheChosenFilterAndStartsAtTheFirst)
{
    int index = 1;
    env.dialogs.answerFile(QStringLiteral("/tmp/out.txt"), 2);
    EXPECT_EQ(modCommon::showFileDialog(true, QStringLiteral("HTML|*.htm|Text|*.txt|"), QStringLiteral("out"), index),
              QStringLiteral("/tmp/out.txt"));
    EXPECT_EQ(index, 2);
    ASSERT_EQ(env.dialogs.shown().size(), 1);
    EXPECT_EQ(env.dialogs.shown()[0].kind, Platform::DialogKind::SaveFile);
    EXPECT_EQ(env.dialogs.shown()[0].defaultText, QStringLiteral("out"));
}

TEST_F(ModCommonTest, OpenDialogHasNoDefaultNameAndLeavesTheIndex)
{
    int index = 2;
    env.dialogs.answerFile(QStringLiteral("/tmp/in.eng"), 1);
    EXPECT_EQ(modCommon::showFileDialog(false, QStringLiteral("Eng|*.eng|"), QStringLiteral("ignored"), index),
              QStringLiteral("/tmp/in.eng"));
    EXPECT_EQ(index, 2);
    EXPECT_EQ(env.dialogs.shown()[0].kind, Platform::DialogKind::OpenFile);
    EXPECT_EQ(env.dialogs.shown()[0].defaultText, QString());
}

TEST_F(ModCommonTest, CenterFormPlacesTheWindowAboveTheMiddle)
{
    QWidget form;
    form.resize(301, 201);
    modCommon::centerForm(&form);
    const QRect area = form.screen()->availableGeometry();
    const int expectedTop = static_cast<int>(std::lround(area.height() * 0.9 - 201)) / 2;
    EXPECT_EQ(form.pos(), QPoint(area.x() + (area.width() - 301) / 2, area.y() + expectedTop));
    modCommon::centerForm(nullptr);
}

TEST_F(ModCommonTest, CenterFormTruncatesTowardZeroForLargeWindows)
{
    QWidget form;
    const QRect area = form.screen()->availableGeometry();
    form.resize(area.width() + 3, area.height() + 11);
    modCommon::centerForm(&form);
    const int top = static_cast<int>(std::lround(area.height() * 0.9 - (area.height() + 11))) / 2;
    EXPECT_EQ(form.pos(), QPoint(area.x() - 1, area.y() + top));
}

TEST_F(ModCommonTest, CenterFormCentresADialogAgainWithTheSizeItsLayoutGivesIt)
{
    // Centred while it is built, as the dialogs do, before the layout has sized it.
    QDialog dialog;
    auto *content = new QWidget(&dialog);
    content->setMinimumSize(500, 300);
    (new QVBoxLayout(&dialog))->addWidget(content);
    modCommon::centerForm(&dialog);
    dialog.show();
    const QRect area = dialog.screen()->availableGeometry();
    const QSize size = dialog.size();
    ASSERT_GE(size.width(), 500);
    const int top = static_cast<int>(std::lround(area.height() * 0.9 - size.height())) / 2;
    EXPECT_EQ(dialog.pos(), QPoint(area.x() + (area.width() - size.width()) / 2, area.y() + top));

    // Once only: a window the user moved stays where it was put when it is shown again.
    dialog.hide();
    dialog.move(area.topLeft() + QPoint(7, 9));
    dialog.show();
    EXPECT_EQ(dialog.pos(), area.topLeft() + QPoint(7, 9));
}

TEST_F(ModCommonTest, VersionTextPadsOnlyTheRevision)
{
    EXPECT_EQ(modCommon::versionNumberText(6, 1, 5), QStringLiteral("6.1.05"));
    EXPECT_EQ(modCommon::versionNumberText(6, 1, 16), QStringLiteral("6.1.16"));
    EXPECT_EQ(modCommon::versionNumberText(6, 1, 123), QStringLiteral("6.1.123"));
    EXPECT_EQ(modCommon::versionNumberText(10, 0, 0), QStringLiteral("10.0.00"));
}
