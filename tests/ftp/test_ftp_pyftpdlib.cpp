// The same client against a real FTP server (Debian's python3-pyftpdlib), started per test.
#include "FtpFixture.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>

#include "support/PyFtpdServer.h"

using namespace Qt::StringLiterals;

TEST_F(FtpTest, RealServerListsChangesFoldersAndStoresExactBytes)
{
    const QString root = env.root() + u"/served"_s;
    ASSERT_TRUE(QDir().mkpath(root + u"/pub"_s));
    ASSERT_TRUE(QDir().mkpath(root + u"/open dir"_s));
    ASSERT_EQ(::chmod(QFile::encodeName(root + u"/pub"_s).constData(), 01777), 0);
    TestSupport::TestEnvironment::writeFile(root + u"/name with blank.txt"_s, "x");
    TestSupport::TestEnvironment::writeFile(root + u"/index.htm"_s, "<p>");
    ASSERT_TRUE(QFile::link(root + u"/index.htm"_s, root + u"/link.htm"_s));
    TestSupport::PyFtpdServer ftpd(root, u"web"_s, u"secret"_s);
    ASSERT_TRUE(ftpd.started()) << ftpd.failure().toStdString();

    connectAs(ftpd.hostPort(), u"web"_s, u"secret"_s, u"/"_s);
    ASSERT_TRUE(Platform::waitUntil([&] { return w->lsvRemote->rowByKey(u"/pub"_s) && !w->isBusy(); }, 8000));
    EXPECT_EQ(w->lsvRemote->rowByKey(u"/pub"_s)->text(1), u"Folder"_s);
    EXPECT_EQ(w->lsvRemote->rowByKey(u"/index.htm"_s)->text(1), u"HTML File"_s);
    EXPECT_EQ(w->lsvRemote->rowByKey(u"/name with blank.txt"_s), nullptr);
    EXPECT_EQ(w->lsvRemote->rowByKey(u"/open dir"_s), nullptr);
    EXPECT_EQ(w->lsvRemote->rowByKey(u"/link.htm"_s), nullptr);

    // Into the sticky world-writable folder by a double click.
    w->lsvRemote->setCurrentItem(w->lsvRemote->rowByKey(u"/pub"_s));
    w->lsvRemote_DblClick();
    ASSERT_TRUE(Platform::waitUntil([&] { return w->lsvRemote->rowByKey(u"/"_s) && !w->isBusy() && !w->Timer2.enabled(); }, 5000));
    EXPECT_EQ(modFTP::state().remotePath, u"/pub"_s);

    QByteArray big;
    for (int i = 0; i < 70000; ++i)
        big += char((i * 31 + 7) % 256);
    const QList<std::pair<QString, QByteArray>> files{
        {u"page.htm"_s, "<html>\r\n<p>line</p>\r\n\n"},
        {u"image.bin"_s, QByteArray("GIF\0\x1a\xff\r\n\x1a\0\xff", 11)},
        {u"empty.txt"_s, {}},
        {u"big.bin"_s, big},
    };
    selectLocal(files);
    ASSERT_TRUE(upload(15000));
    for (const auto &[name, bytes] : files)
        EXPECT_EQ(TestSupport::TestEnvironment::readFile(root + u"/pub/"_s + name), bytes) << name.toStdString();
    EXPECT_NE(w->lsvRemote->rowByKey(u"/pub/big.bin"_s), nullptr);   // listed after the batch
    w->btnConnect_Click();
    EXPECT_TRUE(log().contains(u"Disconnect !"_s));
}
