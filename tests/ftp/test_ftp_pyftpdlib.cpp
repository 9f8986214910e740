// The same client against a real FTP server (Debian's python3-pyftpdlib), started per test. Each
// listing is given a few seconds, well below the program's reply limit.
#include "FtpFixture.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>


using namespace Qt::StringLiterals;

namespace {

QString servedRoot(const TestSupport::TestEnvironment &env, const QStringList &folders)
{
    const QString root = env.root() + u"/served"_s;
    for (const QString &folder : folders)
        EXPECT_TRUE(QDir().mkpath(root + u'/' + folder));
    return root;
}

} // namespace

TEST_F(FtpTest, RealServerListsChangesFoldersAndStoresExactBytes)
{
    const QString root = servedRoot(env, {u"pub"_s, u"open dir"_s, u"empty"_s});
    ASSERT_EQ(::chmod(QFile::encodeName(root + u"/pub"_s).constData(), 01777), 0);
    TestSupport::TestEnvironment::writeFile(root + u"/my page.htm"_s, "x");
    TestSupport::TestEnvironment::writeFile(root + u"/index.htm"_s, "<p>");
    ASSERT_TRUE(QFile::link(root + u"/index.htm"_s, root + u"/link.htm"_s));
    TestSupport::PyFtpdServer ftpd(root, u"web"_s, u"secret"_s);
    ASSERT_TRUE(ftpd.started()) << ftpd.failure().toStdString();

    connectAs(ftpd.hostPort(), u"web"_s, u"secret"_s, u"/"_s);
    ASSERT_TRUE(waitListed(u"/"_s));
    ASSERT_NE(w->lsvRemote->rowByKey(u"/pub"_s), nullptr);
    EXPECT_EQ(w->lsvRemote->rowByKey(u"/pub"_s)->text(1), u"Folder"_s);
    EXPECT_EQ(w->lsvRemote->rowByKey(u"/index.htm"_s)->text(1), u"HTML File"_s);
    ASSERT_NE(w->lsvRemote->rowByKey(u"/my page.htm"_s), nullptr);   // a name with a blank stays whole
    EXPECT_EQ(w->lsvRemote->rowByKey(u"/my page.htm"_s)->text(0), u"my page.htm"_s);
    EXPECT_NE(w->lsvRemote->rowByKey(u"/open dir"_s), nullptr);
    EXPECT_EQ(w->lsvRemote->rowByKey(u"/link.htm"_s), nullptr);

    // An empty folder's listing ends with the server's reply, whichever of reply and close came first.
    for (int round = 0; round < 3; ++round) {
        enterPath(u"/empty"_s);
        ASSERT_TRUE(waitListed(u"/empty"_s)) << round;
        EXPECT_EQ(w->lsvRemote->topLevelItemCount(), 1) << round;   // the Up row
        enterPath(u"/"_s);
        ASSERT_TRUE(waitListed(u"/"_s)) << round;
    }

    // Into the sticky world-writable folder by a double click.
    doubleClickRow(w->lsvRemote, u"/pub"_s);
    ASSERT_TRUE(waitListed(u"/pub"_s));

    QByteArray big;
    for (int i = 0; i < 70000; ++i)
        big += char((i * 31 + 7) % 256);
    const QList<std::pair<QString, QByteArray>> files{
        {u"page.htm"_s, "<html>\r\n<p>line</p>\r\n\n"},
        {u"image.bin"_s, QByteArray("GIF\0\x1a\xff\r\n\x1a\0\xff", 11)},
        {u"empty.txt"_s, {}},
        {u"my upload.htm"_s, "blank in the name"},
        {u"big.bin"_s, big},
    };
    selectLocal(files);
    ASSERT_TRUE(upload());
    for (const auto &[name, bytes] : files)
        EXPECT_EQ(TestSupport::TestEnvironment::readFile(root + u"/pub/"_s + name), bytes) << name.toStdString();
    EXPECT_NE(w->lsvRemote->rowByKey(u"/pub/big.bin"_s), nullptr);   // listed after the batch
    TestSupport::clickOn(w->btnConnect);
    EXPECT_TRUE(log().contains(u"Disconnect !"_s));
}

TEST_F(FtpTest, RealServerRelativeLoginPathListsThatFolder)
{
    const QString root = servedRoot(env, {u"public_html/images"_s});
    TestSupport::TestEnvironment::writeFile(root + u"/public_html/index.htm"_s, "<p>");
    TestSupport::PyFtpdServer ftpd(root, u"web"_s, u"secret"_s);
    ASSERT_TRUE(ftpd.started()) << ftpd.failure().toStdString();
    connectAs(ftpd.hostPort(), u"web"_s, u"secret"_s, u"public_html"_s);
    ASSERT_TRUE(waitListed(u"/public_html"_s)) << log().join(u"\n"_s).toStdString();
    EXPECT_NE(w->lsvRemote->rowByKey(u"/public_html/index.htm"_s), nullptr);
    EXPECT_NE(w->lsvRemote->rowByKey(u"/public_html/images"_s), nullptr);
    EXPECT_EQ(w->txtRemotePath->text(), u"/public_html"_s);
}

TEST_F(FtpTest, RealServerCutUploadIsNeverCountedAsStored)
{
    // Pages small enough to sit in the socket buffers at once, and one far larger than them. The
    // client finds the cut either while sending or by the size the server then gives.
    struct Case {
        qint64 cutAfter;
        qint64 size;
    } cases[] = {{4096, 10000}, {4096, 30000}, {4096, 60000}, {1024 * 1024, 16 * 1024 * 1024}};
    const QString root = servedRoot(env, {u"pub"_s});
    for (const Case &c : cases) {
        TestSupport::PyFtpdServer::Faults faults;
        faults.cutUploadAfterBytes = c.cutAfter;
        const auto ftpd = loginToRealServer(root, u"/pub"_s, faults);
        ASSERT_TRUE(ftpd) << c.size;
        storedFiles.clear();
        selectLocal({{u"index.htm"_s, QByteArray(c.size, 'p')}, {u"next.htm"_s, "n"}});
        ASSERT_TRUE(upload()) << c.size;
        EXPECT_TRUE(storedFiles.isEmpty()) << c.size;
        const QString held = u"Upload failed: index.htm: the server holds "_s + QString::number(c.cutAfter) + u" of "_s
                             + QString::number(c.size) + u" bytes"_s;
        EXPECT_TRUE(log().contains(held) || log().contains(u"Upload stopped: the data connection was closed"_s))
            << log().join(u'\n').toStdString();
        EXPECT_FALSE(QFile::exists(root + u"/pub/next.htm"_s)) << c.size;   // the batch ends at the cut file
        EXPECT_TRUE(w->btnSendFile->isEnabled()) << c.size;
        // The connection goes on: the folder lists again, with the size the server holds.
        QTest::mouseClick(w->btnList, Qt::LeftButton);
        EXPECT_TRUE(waitListed(u"/pub"_s)) << c.size;
        TestSupport::clickOn(w->btnConnect);
    }
}

TEST_F(FtpTest, RealServerRefusedUploadLeavesTheNextFolderChangeWhole)
{
    const QString root = servedRoot(env, {u"locked"_s, u"pub"_s});
    TestSupport::PyFtpdServer::Faults faults;
    faults.readOnlyFolder = u"locked"_s;
    TestSupport::PyFtpdServer ftpd(root, u"web"_s, u"secret"_s, faults);
    ASSERT_TRUE(ftpd.started()) << ftpd.failure().toStdString();
    connectAs(ftpd.hostPort(), u"web"_s, u"secret"_s, u"/locked"_s);
    ASSERT_TRUE(waitListed(u"/locked"_s));
    selectLocal({{u"a.txt"_s, "a"}, {u"b.txt"_s, "b"}});
    ASSERT_TRUE(upload());
    EXPECT_TRUE(log().filter(u"550 "_s).size() == 1) << log().join(u'\n').toStdString();
    EXPECT_FALSE(QFile::exists(root + u"/locked/a.txt"_s));
    enterPath(u"/pub"_s);   // TYPE A first, then the CWD itself
    ASSERT_TRUE(waitListed(u"/pub"_s)) << log().join(u'\n').toStdString();
    EXPECT_EQ(w->txtRemotePath->text(), u"/pub"_s);
}

TEST_F(FtpTest, RealServerSendFileWaitsUntilTheServerIsInTheFolderThePathBoxShows)
{
    const QString root = servedRoot(env, {u"pages/docs"_s});
    TestSupport::PyFtpdServer ftpd(root, u"web"_s, u"secret"_s);
    ASSERT_TRUE(ftpd.started()) << ftpd.failure().toStdString();
    expectSendsLandInTheShownFolder(ftpd.hostPort(), [&] {
        QStringList landed;
        for (const QString &file : {u"/a.txt"_s, u"/pages/a.txt"_s, u"/pages/docs/a.txt"_s}) {
            if (QFile::remove(root + file))
                landed << file;
        }
        return landed;
    });
}

TEST_F(FtpTest, RealServerWithSizeWithoutSizeAndWithoutBoth)
{
    struct Case {
        const char *name;
        bool refuseSize;
        bool refuseListingOfAFile;
        const char *asked;   // the command that told the size; none when nothing could
    } cases[] = {
        {"with SIZE", false, false, "SIZE a.htm"},
        {"without SIZE", true, false, "LIST a.htm"},
        {"without both", true, true, nullptr},
    };
    const QString root = servedRoot(env, {u"pub"_s});
    for (const Case &c : cases) {
        TestSupport::PyFtpdServer::Faults faults;
        faults.refuseSize = c.refuseSize;
        faults.refuseListingOfAFile = c.refuseListingOfAFile;
        const auto ftpd = loginToRealServer(root, u"/pub"_s, faults);
        ASSERT_TRUE(ftpd) << c.name;
        storedFiles.clear();
        const QByteArray page(70000, 'p');
        selectLocal({{u"a.htm"_s, page}, {u"b.htm"_s, "b"}});
        ASSERT_TRUE(upload()) << c.name;
        EXPECT_EQ(storedFiles, (QStringList{local + u"a.htm"_s, local + u"b.htm"_s})) << c.name;
        EXPECT_EQ(TestSupport::TestEnvironment::readFile(root + u"/pub/a.htm"_s), page) << c.name;
        const QString notChecked = u"a.htm: the size was not checked (the server refuses SIZE and the listing of one name)"_s;
        EXPECT_EQ(log().count(notChecked), c.asked ? 0 : 1) << c.name;
        EXPECT_TRUE(log().filter(u"Upload failed"_s).isEmpty()) << c.name;
        TestSupport::clickOn(w->btnConnect);
    }
}
