// The project list and web site file readers: numbered entries in number order, bounded by the
// keys present, and the header rule of the project list.
#include <gtest/gtest.h>

#include "platform/TextFile.h"
#include "sitedata/ProjectList.h"
#include "sitedata/SiteFile.h"
#include "support/TestEnvironment.h"

namespace {

class SiteFormats : public TestSupport::VelquistTest {
protected:
    QString file(const QByteArray &bytes)
    {
        const QString path = env.root() + QStringLiteral("/f.ini");
        TestSupport::TestEnvironment::writeFile(path, bytes);
        return path;
    }
    QStringList sites(const QByteArray &bytes)
    {
        QStringList out;
        for (const Project &project : ProjectList::load(file(bytes))->projects()) {
            out.append(project.name + u':' + project.description);
            for (const ProjectSite &site : project.sites)
                out.append(QString::number(site.number) + u'=' + site.name + u'|' + site.file);
        }
        return out;
    }
};

QStringList list(std::initializer_list<const char *> items)
{
    QStringList out;
    for (const char *item : items)
        out.append(QString::fromLatin1(item));
    return out;
}

} // namespace

TEST_F(SiteFormats, ProjectEntriesComeInNumberOrderUpToLastAndTheKeysPresent)
{
    struct Case {
        const char *name;
        QByteArray bytes;
        QStringList expected;
    } cases[] = {
        {"number order", "[P]\r\nDescription=d\r\nLast=3\r\n3=C|/c\r\n1=A|/a\r\n2=|/nameless\r\n", list({"P:d", "1=A|/a", "3=C|/c"})},
        {"past Last unread", "[P]\r\nLast=1\r\n1=A|\r\n2=B|\r\n", list({"P:", "1=A|"})},
        {"top of the int range", "[P]\r\nLast=2147483647\r\n2147483647=Top|/t\r\n1=A|/a\r\n", list({"P:", "1=A|/a", "2147483647=Top|/t"})},
        {"no plain numbers", "[P]\r\nLast=9\r\n01=x|\r\n+2=y|\r\n 3 =Z|\r\n4a=w|\r\n3=late|\r\n", list({"P:", "3=Z|"})},
        {"header rule", "[ A ]\r\nLast=1\r\n1=S|\r\n[B] ; note\r\n[a]\r\n[C\r\n  [D]  \r\n", list({"A:", "1=S|", "D:"})},
        {"bracket in a name", "[A]B]\r\nLast=1\r\n1=S|/p|q\r\n", list({"A]B:", "1=S|/p|q"})},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(sites(c.bytes), c.expected);
    }
}

TEST_F(SiteFormats, ANewSiteTakesTheFirstFreeNumberWithoutWalkingToLast)
{
    const QString path = file("[P]\r\nLast=2147483647\r\n1=A|\r\n2=B|\r\n2147483647=Top|\r\n");
    std::optional<ProjectList> projects = ProjectList::load(path);
    EXPECT_EQ(projects->addSite(QStringLiteral("P"), QStringLiteral("C"), QStringLiteral("/c")), QStringLiteral("3"));
    EXPECT_EQ(projects->addSite(QStringLiteral("P"), QStringLiteral("D"), QString()), QStringLiteral("4"));
    // Every number up to Last in use: the entry goes after Last.
    projects = ProjectList::load(file("[P]\r\nLast=1\r\n1=A|\r\n[Q]\r\nLast=2147483647\r\n"));
    EXPECT_EQ(projects->addSite(QStringLiteral("P"), QStringLiteral("B"), QString()), QStringLiteral("2"));
    EXPECT_EQ(projects->addSite(QStringLiteral("Q"), QStringLiteral("B"), QString()), QStringLiteral("1"));
    ASSERT_TRUE(projects->commit());
    EXPECT_EQ(*Platform::readTextFile(projects->fileName()),
              QStringLiteral("[P]\r\nLast=2\r\n1=A|\r\n2=B|\r\n[Q]\r\nLast=2147483647\r\n1=B|\r\n"));
    EXPECT_EQ(projects->addSite(QStringLiteral(" "), QStringLiteral("B"), QString()), QString());
}

TEST_F(SiteFormats, SiteUrlsAndReportsComeInNumberOrderBoundedByTheirCounts)
{
    const std::optional<SiteFile> site = SiteFile::load(
        file("[Web Site Info]\r\nVersion=6.0\r\nLastURL=2147483647\r\nLastReport=2\r\n"
             "[URL]\r\nURL2147483647=http://top.example/\r\nURL2=http://two.example/\r\nLocalFile2=/two\r\n"
             "URL1=http://one.example/\r\nurl3=http://ONE.example/\r\nURL4=\r\n"
             "[Report]\r\nURL3=http://late.example/\r\nReportFile3=/r3\r\nURL1=http://r.example/\r\nReportFile1=/r1\r\n"
             "Date1=d1\r\nURL2=http://nofile.example/\r\n"));
    ASSERT_TRUE(site);
    const QList<SiteUrl> urls = site->urls();
    ASSERT_EQ(urls.size(), 3);
    EXPECT_EQ(urls[0].url, QStringLiteral("http://one.example/"));
    EXPECT_EQ(urls[1].localFile, QStringLiteral("/two"));
    EXPECT_EQ(urls[2].url, QStringLiteral("http://top.example/"));
    const QList<SiteReport> reports = site->reports();
    ASSERT_EQ(reports.size(), 1);
    EXPECT_EQ(reports[0].date, QStringLiteral("d1"));
}
