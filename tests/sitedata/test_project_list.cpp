// The project list: add, rename and remove touch only their own project.
#include <gtest/gtest.h>

#include <QFile>
#include <functional>

#include "MainObjectFixture.h"
#include "platform/IniFile.h"
#include "sitedata/ProjectList.h"
#include "support/FailingWrites.h"

class ProjectListOps : public MainObjectTest {
protected:
    QString listFile() const { return clsMain::projectListPath(); }
    void writeList(const QByteArray &bytes) { env.writeFile(listFile(), bytes); }
    QByteArray list() const { return TestSupport::TestEnvironment::readFile(listFile()); }
    QString value(const QString &section, const QString &key) const
    {
        return Platform::iniRead(listFile(), section, key).value_or(QStringLiteral("<missing>"));
    }
};

TEST_F(ProjectListOps, NewProjectGetsAnEmptyDescriptionAndLastZero)
{
    QString index = QStringLiteral("unchanged");
    ASSERT_TRUE(main->addNewProject(QStringLiteral("Alpha"), QString(), index, QString()));
    EXPECT_EQ(list(), QByteArray("[Alpha]\r\nDescription=\r\nLast=0\r\n"));
    EXPECT_EQ(index, QStringLiteral("unchanged"));
}

TEST_F(ProjectListOps, NewSiteTakesTheLowestBlankEntryElseLastPlusOne)
{
    writeList(crlf({"[P]", "Description=d", "Last=3", "1=A|/a.vqs", "3=C|/c.vqs"}));
    QString index;
    ASSERT_TRUE(main->addNewProject(QStringLiteral("p"), QStringLiteral("B"), index, QStringLiteral("/b.vqs")));
    EXPECT_EQ(index, QStringLiteral("2"));
    EXPECT_EQ(value(QStringLiteral("P"), QStringLiteral("2")), QStringLiteral("B|/b.vqs"));
    EXPECT_EQ(value(QStringLiteral("P"), QStringLiteral("Last")), QStringLiteral("3"));

    ASSERT_TRUE(main->addNewProject(QStringLiteral("P"), QStringLiteral("D"), index, QStringLiteral("/d|x.vqs")));
    EXPECT_EQ(index, QStringLiteral("4"));
    EXPECT_EQ(value(QStringLiteral("P"), QStringLiteral("4")), QStringLiteral("D|/d|x.vqs"));
    EXPECT_EQ(value(QStringLiteral("P"), QStringLiteral("Last")), QStringLiteral("4"));
}

TEST_F(ProjectListOps, OddLastValuesCountByTheirLeadingDigits)
{
    writeList(crlf({"[X]", "Last=x", "[Neg]", "Last=-2", "[Words]", "Last=3 sites", "1=a|", "2=b|", "3=c|"}));
    QString index;
    ASSERT_TRUE(main->addNewProject(QStringLiteral("X"), QStringLiteral("S"), index, QString()));
    EXPECT_EQ(index, QStringLiteral("1"));
    ASSERT_TRUE(main->addNewProject(QStringLiteral("Neg"), QStringLiteral("S"), index, QString()));
    EXPECT_EQ(index, QStringLiteral("1"));
    EXPECT_EQ(value(QStringLiteral("Neg"), QStringLiteral("Last")), QStringLiteral("1"));
    ASSERT_TRUE(main->addNewProject(QStringLiteral("Words"), QStringLiteral("S"), index, QString()));
    EXPECT_EQ(index, QStringLiteral("4"));
    ASSERT_TRUE(main->addNewProject(QStringLiteral("Missing"), QStringLiteral("S"), index, QString()));
    EXPECT_EQ(index, QStringLiteral("1"));
}

TEST_F(ProjectListOps, ProjectsTakeTheFirstLineOfEachKeyInNumberOrderUpToLast)
{
    writeList(crlf({"[P]", "description=first", "Description=second", "LAST=3", "3=C|/c", "1=A|/a", "1=Again|/x",
                    "2=|/blank", "4=D|/d", "[p]", "1=Other|/o", "[Q]x", "Description=the line before", "[ Q ]"}));
    const std::optional<ProjectList> read = ProjectList::load(listFile());
    ASSERT_TRUE(read);
    const QList<Project> projects = read->projects();
    ASSERT_EQ(projects.size(), 2);
    EXPECT_EQ(projects[0].name, QStringLiteral("P"));
    EXPECT_EQ(projects[0].description, QStringLiteral("first"));
    ASSERT_EQ(projects[0].sites.size(), 2);
    EXPECT_EQ(projects[0].sites[0].number, 1);
    EXPECT_EQ(projects[0].sites[0].name + projects[0].sites[0].file, QStringLiteral("A/a"));
    EXPECT_EQ(projects[0].sites[1].number, 3);
    EXPECT_EQ(projects[0].sites[1].name + projects[0].sites[1].file, QStringLiteral("C/c"));
    // "[Q]x" is no project header, but its lines are the first of the section named Q.
    EXPECT_EQ(projects[1].name, QStringLiteral("Q"));
    EXPECT_EQ(projects[1].description, QStringLiteral("the line before"));
}

TEST_F(ProjectListOps, RenameChangesOnlyTheWholeHeaderLine)
{
    const QByteArray before = crlf({"[MyWeb]", "Description=see [Web] notes \xe9\x81", "Last=1", "1=[Web] shop|/p/[Web].vqs",
                                    "[web]", "Description=the real one", "Last=0"});
    writeList(before);
    ASSERT_TRUE(main->editProject(QStringLiteral("Web"), QStringLiteral("Site \xe4")));
    QByteArray expected = before;
    expected.replace("\r\n[web]\r\n", "\r\n[Site \xe4]\r\n");
    EXPECT_EQ(list(), expected + "\r\n");
}

TEST_F(ProjectListOps, NamesWithOuterBlanksFindTheHeaderTheirAddWrote)
{
    QString index;
    ASSERT_TRUE(main->addNewProject(QStringLiteral(" Gamma "), QString(), index, QString()));
    ASSERT_TRUE(main->addNewProject(QStringLiteral(" Gamma "), QStringLiteral("S"), index, QStringLiteral("/s.vqs")));
    ASSERT_TRUE(main->editProject(QStringLiteral(" Gamma "), QStringLiteral("Delta")));
    EXPECT_EQ(list(), QByteArray("[Delta]\r\nDescription=\r\nLast=1\r\n1=S|/s.vqs\r\n\r\n"));
    ASSERT_TRUE(main->removeProject(QStringLiteral(" delta ")));
    EXPECT_FALSE(list().contains("Delta"));
    EXPECT_FALSE(list().contains("1=S"));
}

TEST_F(ProjectListOps, ANameHoldingABracketIsOneSectionOfItsOwn)
{
    QString index;
    ASSERT_TRUE(main->addNewProject(QStringLiteral("A"), QString(), index, QString()));
    ASSERT_TRUE(main->addNewProject(QStringLiteral("A]B"), QString(), index, QString()));
    ASSERT_TRUE(main->addNewProject(QStringLiteral("A]B"), QStringLiteral("S"), index, QStringLiteral("/s.vqs")));
    ASSERT_TRUE(main->addNewProject(QStringLiteral("A"), QStringLiteral("T"), index, QStringLiteral("/t.vqs")));
    EXPECT_EQ(list(), crlf({"[A]", "Description=", "Last=1", "1=T|/t.vqs", "[A]B]", "Description=", "Last=1", "1=S|/s.vqs"}));
    EXPECT_EQ(value(QStringLiteral("a]b"), QStringLiteral("1")), QStringLiteral("S|/s.vqs"));
    ASSERT_TRUE(main->removeProject(QStringLiteral("A]B")));
    EXPECT_EQ(list(), crlf({"[A]", "Description=", "Last=1", "1=T|/t.vqs"}) + "\r\n");
}

TEST_F(ProjectListOps, RenameOfAnAbsentHeaderAppendsAnEmptySectionAndKeepsLfLineEnds)
{
    writeList("[A]\nLast=0\n");
    ASSERT_TRUE(main->editProject(QStringLiteral("Nope"), QStringLiteral("New")));
    EXPECT_EQ(list(), QByteArray("[A]\nLast=0\n\r\n[New]\r\n"));
}

TEST_F(ProjectListOps, RemoveCutsOnlyItsOwnSectionWhateverBracketsTheValuesHold)
{
    writeList(crlf({"[Alpha]", "Description=[Beta]", "Last=1", "1=A|/a.vqs", "[Beta]", "Description=x", "Last=2",
                    "1=Shop [old]|/p/x.vqs", "2=[Gamma]|/g", "[Gamma]", "Last=0"}));
    ASSERT_TRUE(main->removeProject(QStringLiteral("beta")));
    EXPECT_EQ(list(), crlf({"[Alpha]", "Description=[Beta]", "Last=1", "1=A|/a.vqs", "[Gamma]", "Last=0"}) + "\r\n");
}

TEST_F(ProjectListOps, RemovingTheLastProjectEndsTheFileWithOneMoreLineBreak)
{
    writeList(crlf({"[A]", "Last=0", "[B]", "Last=0"}));
    ASSERT_TRUE(main->removeProject(QStringLiteral("B")));
    EXPECT_EQ(list(), QByteArray("[A]\r\nLast=0\r\n\r\n"));
    // An absent header leaves the file as it is.
    const QByteArray now = list();
    ASSERT_TRUE(main->removeProject(QStringLiteral("Zed")));
    EXPECT_EQ(list(), now);
}

TEST_F(ProjectListOps, MissingFileIsReportedByRenameAndRemove)
{
    env.dialogs.answerMessage(Platform::Ok);
    EXPECT_FALSE(main->editProject(QStringLiteral("A"), QStringLiteral("B")));
    EXPECT_TRUE(env.dialogs.shown().last().prompt.startsWith(QStringLiteral("editProjectFile_Error: ")));
    env.dialogs.answerMessage(Platform::Ok);
    EXPECT_FALSE(main->removeProject(QStringLiteral("A")));
    EXPECT_TRUE(env.dialogs.shown().last().prompt.startsWith(QStringLiteral("removeProject_Error: ")));
    EXPECT_FALSE(QFile::exists(listFile()));
}

TEST_F(ProjectListOps, AFailedWriteIsReportedNotShownAsSuccess)
{
    // A folder in place of the file: every read and write of it fails, whoever runs the test.
    ASSERT_TRUE(QDir().mkpath(listFile()));
    env.dialogs.answerMessage(Platform::Ok);
    QString index;
    EXPECT_FALSE(main->addNewProject(QStringLiteral("B"), QString(), index, QString()));
    EXPECT_TRUE(env.dialogs.shown().last().prompt.startsWith(QStringLiteral("addNewProject_Error:")));
    env.dialogs.answerMessage(Platform::Ok);
    EXPECT_FALSE(main->addNewProject(QStringLiteral("B"), QStringLiteral("Site"), index, QStringLiteral("/s.vqs")));
    env.dialogs.answerMessage(Platform::Ok);
    EXPECT_FALSE(main->editProject(QStringLiteral("A"), QStringLiteral("C")));
    EXPECT_EQ(env.dialogs.pendingAnswers(), 0);
}

TEST_F(ProjectListOps, EachOperationIsOneWriteWholeOrNotAtAll)
{
    const QByteArray before = crlf({"[A]", "Description=", "Last=1", "1=S|/s.vqs", "[B]", "Last=0"});
    struct Operation {
        const char *prompt;
        std::function<bool()> run;
    } operations[] = {
        {"addNewProject_Error:", [&] { QString n; return main->addNewProject(QStringLiteral("C"), QString(), n, QString()); }},
        {"addNewProject_Error:", [&] { QString n; return main->addNewProject(QStringLiteral("A"), QStringLiteral("T"), n, QStringLiteral("/t")); }},
        {"editProjectFile_Error: ", [&] { return main->editProject(QStringLiteral("A"), QStringLiteral("Z")); }},
        {"removeProject_Error: ", [&] { return main->removeProject(QStringLiteral("A")); }},
    };
    for (const Operation &operation : operations) {
        SCOPED_TRACE(operation.prompt);
        writeList(before);
        {
            TestSupport::FailingWrites diskFull;
            env.dialogs.answerMessage(Platform::Ok);
            EXPECT_FALSE(operation.run());
            EXPECT_TRUE(env.dialogs.shown().last().prompt.startsWith(QString::fromLatin1(operation.prompt)));
        }
        EXPECT_EQ(list(), before);
        TestSupport::FailingWrites onlyOne(1);
        EXPECT_TRUE(operation.run());
        EXPECT_EQ(onlyOne.attempts(), 1);
        EXPECT_NE(list(), before);
    }
}
