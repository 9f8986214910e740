// Doorway profiles: the name asked for, the overwrite question, names differing only in case,
// values that round-trip whole, files written elsewhere, refused names, a failed write and the
// stored name list; and the value encoding itself.
#include "CappedBoxes.h"
#include "DoorwayFixture.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QTest>

#include "pagetools/DoorwayProfile.h"
#include "platform/LongWordWrap.h"
#include "support/FailingWrites.h"

using namespace Qt::StringLiterals;
using TestSupport::TestEnvironment;

namespace {

class DoorwayProfiles : public DoorwayTest {
protected:
    QString profile(const QString &name) const { return env.programFolder() + u"Doorway/Profiles/"_s + name; }
    void pick(const QString &name)
    {
        const int index = window->cboProfile->findText(name);
        ASSERT_GE(index, 0);
        TestSupport::chooseItem(window->cboProfile, index);
    }
    QStringList names() const
    {
        QStringList list;
        for (int i = 0; i < window->cboProfile->count(); ++i)
            list.append(window->cboProfile->itemText(i));
        return list;
    }
};

} // namespace

TEST_F(DoorwayProfiles, DefaultNameThenTheOverwriteQuestion)
{
    fillSample();
    env.dialogs.answerInput(u"New Doorway Page"_s);
    click(frmDoorway::SaveButton);
    EXPECT_EQ(env.dialogs.shown()[0].prompt, u"Please specify a new Doorway Page profile name:"_s);
    const QByteArray saved = TestEnvironment::readFile(profile(u"New Doorway Page"_s));
    EXPECT_TRUE(saved.startsWith("[Doorway Page]\r\nTitle=Blue Widgets Direct\r\nKeyword1=blue widgets\r\n"));
    EXPECT_TRUE(saved.contains("\r\nBody=Our widgets ...\\nSecond paragraph.\r\n"));
    EXPECT_TRUE(saved.endsWith(QByteArray("\r\nOutputLocation=" + outputFolder().toUtf8() + "\r\nEscaped=1\r\n")));
    EXPECT_EQ(names(), QStringList({u"New Doorway Page"_s}));
    EXPECT_EQ(window->cboProfile->currentText(), u"New Doorway Page"_s);

    window->txtTitle->setText(u"Changed"_s);
    const QString question = u"The profile name 'New Doorway Page' already exist, do you want to overwrite ?"_s;
    env.dialogs.answerMessage(Platform::No);
    click(frmDoorway::SaveButton);
    EXPECT_EQ(env.dialogs.prompts().last(), question);
    EXPECT_EQ(TestEnvironment::readFile(profile(u"New Doorway Page"_s)), saved);
    env.dialogs.answerMessage(Platform::Yes);
    click(frmDoorway::SaveButton);
    EXPECT_TRUE(TestEnvironment::readFile(profile(u"New Doorway Page"_s)).contains("Title=Changed\r\n"));
    EXPECT_EQ(names(), QStringList({u"New Doorway Page"_s}));

    // A name differing only in case is another profile: no question, a file of its own.
    window->cboProfile->setEditText(u"new doorway page"_s);
    click(frmDoorway::SaveButton);
    EXPECT_EQ(names(), QStringList({u"new doorway page"_s, u"New Doorway Page"_s}));
    EXPECT_TRUE(QFile::exists(profile(u"new doorway page"_s)));
    EXPECT_EQ(env.dialogs.shown().size(), 3);
}

TEST_F(DoorwayProfiles, ValuesRoundTripWhole)
{
    fillSample();
    QString body;
    while (body.size() < 2000)
        body += u"Line of the body with a back\\slash and \u03a9.\r\n[Contact]\r\n"_s;
    modCommon::setMultiLineText(window->txtSummary, body);
    window->txtTitle->setText(u"C:\\new\\ \u03a9 \\n \\u0041"_s);
    window->txtFileLocation->setText(QString());
    window->cboProfile->setEditText(u"Shop"_s);
    click(frmDoorway::SaveButton);

    click(frmDoorway::NewPageButton);
    window->txtFileLocation->setText(u"/other/"_s);
    pick(u"Shop"_s);
    EXPECT_EQ(modCommon::multiLineText(window->txtSummary), body);
    EXPECT_EQ(window->txtTitle->text(), u"C:\\new\\ \u03a9 \\n \\u0041"_s);
    EXPECT_EQ(window->txtCompany->text(), u"Example Widgets Ltd"_s);   // a key after the body
    EXPECT_EQ(window->cboSiteURL->currentText(), u"www.example.com"_s);
    EXPECT_TRUE(window->txtFileLocation->text().isEmpty());
}

// A body holding a word longer than a thousand characters is wrapped anywhere, which takes Qt a
// time in step with its length; other bodies wrap at blanks. So does a pasted long word.
TEST_F(DoorwayProfiles, ABodyWithAVeryLongWordWrapsAnywhere)
{
    fillSample();
    const QString longWord = u"Start "_s + QString(LongWordWrap::kLongWordChars + 1, u'w') + u" end"_s;
    modCommon::setMultiLineText(window->txtSummary, longWord);
    window->cboProfile->setEditText(u"Long"_s);
    click(frmDoorway::SaveButton);
    modCommon::setMultiLineText(window->txtSummary, QString(LongWordWrap::kLongWordChars, u'w') + u" end"_s);
    window->cboProfile->setEditText(u"Short"_s);
    click(frmDoorway::SaveButton);

    const struct { const char *profile; QTextOption::WrapMode mode; } cases[] = {
        {"Long", QTextOption::WrapAnywhere}, {"Short", QTextOption::WrapAtWordBoundaryOrAnywhere},
    };
    for (const auto &c : cases) {
        pick(QString::fromUtf8(c.profile));
        EXPECT_EQ(window->txtSummary->wordWrapMode(), c.mode) << c.profile;
    }
    EXPECT_EQ(window->txtDescription->wordWrapMode(), QTextOption::WrapAtWordBoundaryOrAnywhere);
    QApplication::clipboard()->setText(longWord);
    window->txtSummary->moveCursor(QTextCursor::End);
    QTest::keyClick(window->txtSummary, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(window->txtSummary->wordWrapMode(), QTextOption::WrapAnywhere);
    pick(u"Long"_s);
    EXPECT_EQ(modCommon::multiLineText(window->txtSummary), longWord);
}

// A profile written elsewhere has no escapes: its values are read as they stand.
TEST_F(DoorwayProfiles, FileWithoutEscapesReadsVerbatim)
{
    TestEnvironment::writeFile(profile(u"Old"_s), "[Doorway Page]\r\nTitle= C:\\new\\ \r\nBody=a\\nb\r\nCompany=Co\r\n");
    window->cboProfile->addItem(u"Old"_s);
    window->cboProfile->addItem(u"Gone"_s);
    pick(u"Old"_s);
    EXPECT_EQ(window->txtTitle->text(), u"C:\\new\\"_s);
    EXPECT_EQ(window->txtSummary->toPlainText(), u"a\\nb"_s);
    EXPECT_EQ(window->txtCompany->text(), u"Co"_s);
    EXPECT_TRUE(window->txtKeywords[0]->text().isEmpty());
    pick(u"Gone"_s);   // no file: nothing changes
    EXPECT_EQ(window->txtCompany->text(), u"Co"_s);
    EXPECT_TRUE(env.dialogs.shown().isEmpty());
}

TEST_F(DoorwayProfiles, RefusedNamesAndAFailedWrite)
{
    fillSample();
    // The list of names is kept in the 8-bit history file, which holds no "日" to find the file by.
    const struct {
        QString name, why;
    } refused[] = {
        {u"../x"_s, u"cannot be used as a file name."_s},
        {u"a/b"_s, u"cannot be used as a file name."_s},
        {u".."_s, u"cannot be used as a file name."_s},
        {u"日本 shop"_s, u"cannot be kept in the list of profiles, whose file can not hold these characters: 日本"_s},
    };
    for (const auto &c : refused) {
        env.dialogs.answerMessage(Platform::Ok);
        window->cboProfile->setEditText(c.name);
        click(frmDoorway::SaveButton);
        EXPECT_EQ(env.dialogs.prompts().last(), u"The profile name '"_s + c.name + u"' "_s + c.why);
        EXPECT_EQ(env.dialogs.shown().last().title, u"Save Profile"_s);
    }
    EXPECT_TRUE(names().isEmpty());
    EXPECT_FALSE(QFile::exists(env.programFolder() + u"Doorway/x"_s));
    EXPECT_FALSE(QDir(env.programFolder() + u"Doorway/Profiles"_s).exists());

    TestSupport::FailingWrites failing;
    env.dialogs.answerMessage(Platform::Ok);
    window->cboProfile->setEditText(u"Shop"_s);
    click(frmDoorway::SaveButton);
    EXPECT_EQ(env.dialogs.prompts().last(), u"The profile could not be written: "_s + profile(u"Shop"_s));
    EXPECT_FALSE(QFile::exists(profile(u"Shop"_s)));
    EXPECT_EQ(names(), QStringList({u"Shop"_s}));
}

// The description takes at most 1,000 characters from typing, pastes and drops; a profile may
// set more, which undo and redo put back whole and Save writes whole.
TEST_F(DoorwayProfiles, TheDescriptionCapCutsWhatComesInAndUndoPutsBackExactly)
{
    if (!TestSupport::dragsRun()) {
        TestSupport::runTestWhereDragsRun();
        return;
    }
    window->cboProfile->addItem(u"Loaded"_s);
    const auto load = [this](const QString &description) {
        QStringList values(DoorwayProfile::keys().size(), QString());
        values[DoorwayProfile::keys().indexOf(u"Description"_s)] = modCommon::lfToCrLf(description);
        ASSERT_TRUE(QDir().mkpath(DoorwayProfile::folder()));
        ASSERT_TRUE(DoorwayProfile::write(profile(u"Loaded"_s), values));
        pick(u"Loaded"_s);
    };
    EXPECT_EQ(CappedBoxes::cappedBoxesOf(window), QList<QWidget *>{window->txtDescription});
    CappedBoxes::expectCapOnInputOnly(window->txtDescription, 1000, load, window->txtSummary);

    const QString description = QString(700, u'd') + u"\r\n"_s + QString(703, u'd');
    load(description);
    QTest::keyClick(window->txtDescription, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(window->txtDescription, Qt::Key_Delete);
    QTest::keyClick(window->txtDescription, Qt::Key_Z, Qt::ControlModifier);
    window->cboProfile->setEditText(u"Kept"_s);
    click(frmDoorway::SaveButton);
    const std::optional<QStringList> saved = DoorwayProfile::read(profile(u"Kept"_s));
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->value(DoorwayProfile::keys().indexOf(u"Description"_s)), description);
    EXPECT_TRUE(env.dialogs.shown().isEmpty());
}

// A profile file over the bound is not read: a box names it and the fields stay. A profile that
// would grow over the bound is not written. A file at the bound is read.
TEST_F(DoorwayProfiles, AProfileOverTheBoundIsRefusedWithABoxNamingIt)
{
    fillSample();
    {
        QFile huge(profile(u"Huge"_s));
        ASSERT_TRUE(QDir().mkpath(DoorwayProfile::folder()));
        ASSERT_TRUE(huge.open(QIODevice::WriteOnly) && huge.resize(DoorwayProfile::kMaxFileBytes + 1));
    }
    window->cboProfile->addItem(u"Huge"_s);
    env.dialogs.answerMessage(Platform::Ok);
    pick(u"Huge"_s);
    ASSERT_EQ(env.dialogs.shown().size(), 1);
    EXPECT_EQ(env.dialogs.prompts()[0], u"The profile 'Huge' is larger than 8 MB and is not read: "_s + profile(u"Huge"_s));
    EXPECT_EQ(env.dialogs.shown()[0].title, u"Get Profile"_s);
    EXPECT_EQ(window->txtCompany->text(), u"Example Widgets Ltd"_s);

    // An omega is stored as the six characters "\\u03A9".
    modCommon::setMultiLineText(window->txtSummary, QString(DoorwayProfile::kMaxFileBytes / 6 + 1, u'\u03a9'));
    window->cboProfile->setEditText(u"Big"_s);
    env.dialogs.answerMessage(Platform::Ok);
    click(frmDoorway::SaveButton);
    EXPECT_EQ(env.dialogs.prompts().value(1), u"The profile 'Big' would be larger than 8 MB and is not saved."_s);
    EXPECT_FALSE(QFile::exists(profile(u"Big"_s)));

    QFile::resize(profile(u"Huge"_s), DoorwayProfile::kMaxFileBytes);
    EXPECT_FALSE(DoorwayProfile::tooLarge(profile(u"Huge"_s)));
}

TEST_F(DoorwayProfiles, NextOpenListsTheThirtyNewestNames)
{
    for (int i = 1; i <= 40; ++i) {
        window->cboProfile->setEditText(u"P"_s + QString::number(i));
        click(frmDoorway::SaveButton);
    }
    EXPECT_EQ(window->cboProfile->count(), 40);
    click(frmDoorway::CloseButton);
    window = frmDoorway::instance();
    ASSERT_EQ(window->cboProfile->count(), 30);
    EXPECT_EQ(window->cboProfile->itemText(0), u"P40"_s);
    EXPECT_EQ(window->cboProfile->itemText(29), u"P11"_s);
    EXPECT_TRUE(window->cboProfile->currentText().isEmpty());
}

TEST(DoorwayProfileValues, EncodingRoundTripsAndDecodesOnlyItsOwnEscapes)
{
    const struct { QString value, stored; } cases[] = {
        {u"plain"_s, u"plain"_s},
        {u"C:\\new\\"_s, u"C:\\\\new\\\\"_s},
        {u"a\r\nb"_s, u"a\\nb"_s},
        {u"a\nb\rc"_s, u"a\\u000Ab\\u000Dc"_s},
        {u"\u03a9 \u00e9 \u20ac"_s, u"\\u03A9 \u00e9 \u20ac"_s},
        {u"tab\there"_s, u"tab\there"_s},
        {u"\\u0041\\n"_s, u"\\\\u0041\\\\n"_s},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(DoorwayProfile::encodeValue(c.value), c.stored);
        EXPECT_EQ(DoorwayProfile::decodeValue(c.stored), c.value);
    }
    for (const QString &odd : {u"\\x"_s, u"\\u12"_s, u"\\u12G4"_s, u"end\\"_s})
        EXPECT_EQ(DoorwayProfile::decodeValue(odd), odd);
}
