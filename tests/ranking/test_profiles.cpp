#include "RankingFixture.h"

#include <QDir>

#include <tuple>

#include "ranking/RankingProfiles.h"
#include "support/FailingWrites.h"

namespace {

using TestSupport::TestEnvironment;
namespace Profiles = RankingProfiles;

const QByteArray kEngineKeysTF = "Engine1=True\r\nEngine2=False\r\nEngine3=True\r\nEngine4=False\r\n"
                                 "Engine5=False\r\nEngine6=False\r\nEngine7=False\r\nEngine8=False\r\n";

class ProfilesTest : public RankingTest::Fixture {
protected:
    QString file() const { return env.programFolder() + QStringLiteral("profile.vqr"); }
    void write(const QByteArray &bytes) const { TestEnvironment::writeFile(file(), bytes); }
    QByteArray bytes() const { return TestEnvironment::readFile(file()); }
    QStringList names() const
    {
        QStringList listed;
        for (const RankingProfileEntry &entry : Profiles::list(file()))
            listed.append(entry.name);
        return listed;
    }
    static RankingProfile shop()
    {
        RankingProfile profile;
        profile.url = QStringLiteral("www.shop.example");
        profile.keyword = QStringLiteral("web promotion tools");
        profile.value = QStringLiteral("5");
        profile.engines[0] = profile.engines[2] = true;
        return profile;
    }
    static QByteArray section(const QByteArray &name, const QByteArray &keyword = "k")
    {
        return "[" + name + "]\r\nURL=u\r\nKeyword=" + keyword + "\r\nType=0\r\n";
    }
};

TEST_F(ProfilesTest, AddCreatesTheFileWithEveryKeyInOrderAndLoadsBack)
{
    ASSERT_TRUE(Profiles::save(file(), QStringLiteral("My Shop"), shop()));
    EXPECT_EQ(bytes(), "[My Shop]\r\nURL=www.shop.example\r\nKeyword=web promotion tools\r\nType=0\r\n"
                       "Value=5\r\n" + kEngineKeysTF);

    RankingProfile links = shop();
    links.links = true;
    links.value = QStringLiteral("30");
    links.keyword = QStringLiteral("[seo] tools");
    links.engines = {};
    ASSERT_TRUE(Profiles::save(file(), QStringLiteral("Links"), links));

    EXPECT_EQ(names(), (QStringList{QStringLiteral("My Shop"), QStringLiteral("Links")}));
    for (const auto &[name, saved] : {std::pair{"LINKS", links}, std::pair{"my shop", shop()}}) {
        const std::optional<RankingProfile> loaded = Profiles::load(file(), QString::fromLatin1(name));
        ASSERT_TRUE(loaded) << name;
        EXPECT_EQ(std::tie(loaded->url, loaded->keyword, loaded->links, loaded->value, loaded->engines),
                  std::tie(saved.url, saved.keyword, saved.links, saved.value, saved.engines)) << name;
    }
    EXPECT_FALSE(Profiles::load(file(), QStringLiteral("Other")));
}

TEST_F(ProfilesTest, UpdateRewritesItsKeysInPlaceAndKeepsTheReportKeys)
{
    write("[A]\r\nURL=old\r\nDate=12/08/26\r\nReportFile=/r/A.html\r\n[B]\r\nURL=b\r\n");
    ASSERT_TRUE(Profiles::save(file(), QStringLiteral("a"), shop()));
    EXPECT_EQ(bytes(), "[A]\r\nURL=www.shop.example\r\nDate=12/08/26\r\nReportFile=/r/A.html\r\n"
                       "Keyword=web promotion tools\r\nType=0\r\nValue=5\r\n" + kEngineKeysTF + "[B]\r\nURL=b\r\n");
    const QList<RankingProfileEntry> listed = Profiles::list(file());
    EXPECT_EQ(listed.size() == 2 ? listed[0].date + u'|' + listed[1].date : QString(), QStringLiteral("12/08/26|"));
}

TEST_F(ProfilesTest, LoadTicksOnlyTrueAndTakesOnlyTypeOneForLinks)
{
    struct Case {
        QByteArray engine, type;
        bool ticked, links;
    };
    const Case cases[] = {
        {"True", "1", true, true},       {"true", " 1 ", true, true}, {"TRUE", "0", true, false},
        {"False", "2", false, false},    {"1", "", false, false},     {"yes", "01", false, false},
        {"", "links", false, false},
    };
    for (const Case &c : cases) {
        write("[P]\r\nType=" + c.type + "\r\nEngine8=" + c.engine + "\r\n");
        const std::optional<RankingProfile> loaded = Profiles::load(file(), QStringLiteral("P"));
        ASSERT_TRUE(loaded);
        EXPECT_EQ(loaded->engines[7], c.ticked) << c.engine.constData();
        EXPECT_EQ(loaded->links, c.links) << c.type.constData();
        EXPECT_FALSE(loaded->engines[0]) << "a missing key unticks";
    }
}

TEST_F(ProfilesTest, ListingTakesSectionsByTheIniRuleAndSkipsRepeatedNames)
{
    EXPECT_TRUE(Profiles::list(file()).isEmpty()) << "no file lists nothing";
    write("Stray=1\r\n" + section("One", "[seo] tools") + section("one") + "[]\r\n" + section(" Two "));
    EXPECT_EQ(names(), (QStringList{QStringLiteral("One"), QStringLiteral("Two")}));
    EXPECT_EQ(Profiles::load(file(), QStringLiteral("One"))->keyword, QStringLiteral("[seo] tools"));
}

TEST_F(ProfilesTest, RemoveDropsEverySectionOfTheNameAndEndsWithAnEmptyLine)
{
    struct Case {
        const char *name;
        QByteArray before, after;
    };
    const Case cases[] = {
        {"Two", section("One") + section("Two", "[seo] tools") + section("Three"),
         section("One") + section("Three") + "\r\n"},
        {"two", "\r\n" + section("Two") + "Date=1\n" + section("One") + section("TWO"),
         "\r\n" + section("One") + "\r\n"},
        {"Only", section("Only"), "\r\n"},
        {"Gone", section("One"), section("One") + "\r\n"},
    };
    for (const Case &c : cases) {
        write(c.before);
        EXPECT_TRUE(Profiles::remove(file(), QString::fromLatin1(c.name)));
        EXPECT_EQ(bytes(), c.after) << c.name;
    }
    QFile::remove(file());
    EXPECT_TRUE(Profiles::remove(file(), QStringLiteral("One")));
    EXPECT_FALSE(QFile::exists(file())) << "a missing file stays missing";
}

TEST_F(ProfilesTest, NamesAreTrimmedAndRefusedWhenUnsafeOrHoldingBrackets)
{
    EXPECT_EQ(Profiles::validName(QStringLiteral("  My Shop\t")), QStringLiteral("My Shop"));
    for (const char *bad : {"../x", "a/b", "a\\b", ".", "..", "[x]", "a]b", "", "   ", "a\tb"})
        EXPECT_FALSE(Profiles::validName(QString::fromLatin1(bad))) << bad;
    EXPECT_FALSE(Profiles::save(file(), QStringLiteral("a/b"), shop()));
    EXPECT_FALSE(QFile::exists(file()));

    const QStringList listed{QStringLiteral("Shop"), QStringLiteral("Other")};
    EXPECT_TRUE(Profiles::contains(listed, QStringLiteral(" sHOP ")));
    EXPECT_FALSE(Profiles::contains(listed, QStringLiteral("shop2")));
}

TEST_F(ProfilesTest, AFileThatCannotBeWrittenIsLeftAsItWas)
{
    const QByteArray before = section("One") + section("Two");
    write(before);
    {
        TestSupport::FailingWrites failing;
        EXPECT_FALSE(Profiles::save(file(), QStringLiteral("New"), shop()));
        EXPECT_FALSE(Profiles::remove(file(), QStringLiteral("One")));
        EXPECT_EQ(failing.attempts(), 2) << "each command writes the file once";
    }
    EXPECT_EQ(bytes(), before);
    EXPECT_EQ(names(), (QStringList{QStringLiteral("One"), QStringLiteral("Two")}));

    // A folder standing at the file's path binds every user.
    QFile::remove(file());
    ASSERT_TRUE(QDir().mkpath(file()));
    EXPECT_FALSE(Profiles::save(file(), QStringLiteral("New"), shop()));
    EXPECT_FALSE(Profiles::remove(file(), QStringLiteral("New")));
}

} // namespace
