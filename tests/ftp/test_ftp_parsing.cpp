// The readers of what an FTP server sends, and the path and size texts of both panes.
#include <gtest/gtest.h>

#include <QLocale>

#include "support/TestEnvironment.h"
#include "ftp/modFTP.h"
#include "platform/modDSSockLog.h"

using namespace Qt::StringLiterals;

TEST(FtpReplies, CodesAndMultiLineRepliesEndOnTheirFinalLine)
{
    struct Case {
        const char *line;
        int code;
    } codes[] = {{"230 Logged in", 230}, {"230-Welcome", 230}, {"150", 150}, {" 226 x", 0},
                 {"Hello", 0}, {"", 0}, {"2261234567 x", 226123}};
    for (const Case &c : codes)
        EXPECT_EQ(modFTP::replyCode(QString::fromLatin1(c.line)), c.code) << c.line;

    // Lines between the first and the last are not final, even when they look like replies.
    int open = 0;
    const char *reply[] = {"220-Welcome", " 220 indented text", "226 other code", "220-still", "220 Ready"};
    QList<bool> finals;
    for (const char *line : reply)
        finals << modFTP::readReplyLine(QString::fromLatin1(line), open).final;
    EXPECT_EQ(finals, (QList<bool>{false, false, false, false, true}));
    EXPECT_EQ(open, 0);
    EXPECT_EQ(modFTP::readReplyLine(u"220"_s, open).code, 220);
    EXPECT_TRUE(modFTP::readReplyLine(u"331 Password"_s, open).final);
}

TEST(FtpReplies, PassiveRepliesAndQuotedPaths)
{
    struct Case {
        const char *line;
        const char *address;   // null: not understood
        int port;
    } cases[] = {
        {"227 Entering Passive Mode (192,168,1,10,19,137)", "192.168.1.10", 5001},
        {"227 Entering passive mode (127,0,0,1,4,1).", "127.0.0.1", 1025},
        {"227 ( 127, 0, 0, 1, 4, 1 )", "127.0.0.1", 1025},
        {"227 ok (127,0,0,1,300,1)", "127.0.0.1", 76801},
        {"227 Entering Passive Mode 127,0,0,1,4,1", nullptr, 0},
        {"227 1,(127,0,0,1,4,1)", nullptr, 0},
        {"227 (127,0,0,1,4)", nullptr, 0},
        {"227 (127,0,0,1,4,1", nullptr, 0},
        {"227 (127,0,0,1,x,1)", nullptr, 0},
    };
    for (const Case &c : cases) {
        const auto reply = modFTP::parsePassiveReply(QString::fromLatin1(c.line));
        ASSERT_EQ(reply.has_value(), c.address != nullptr) << c.line;
        if (reply) {
            EXPECT_EQ(reply->address, QString::fromLatin1(c.address)) << c.line;
            EXPECT_EQ(reply->port, c.port) << c.line;
        }
    }
    EXPECT_EQ(modFTP::getQuotedPath(u"257 \"/\" is the current directory.\r\n"_s), u"/"_s);
    EXPECT_EQ(modFTP::getQuotedPath(u"257 /usr/web"_s), u"/usr/web"_s);
    EXPECT_EQ(modFTP::getQuotedPath(u"257 \"/a b\" created"_s), u"/a b"_s);
    EXPECT_EQ(modFTP::getQuotedPath(u"257 \"/say \"\"hi\"\"\" is current"_s), u"/say \"hi\""_s);
    EXPECT_EQ(modFTP::getQuotedPath(u"257 \"/a\rDELE x\" is current\r\n"_s), u"/a"_s);
    EXPECT_EQ(modFTP::getQuotedPath(u"257 /b\r\r\n"_s), u"/b"_s);
}

TEST(FtpListing, LinesBecomeEntriesWithAModeStringEightFieldsAndTheRestAsName)
{
    struct Case {
        const char *line;
        const char *name;   // null: ignored
        bool folder;
        const char *date;
    } cases[] = {
        {"drwxr-xr-x    2 65534    65534        4096 Dec 08 18:57 images\r\n", "images", true, "Dec 08 18:57"},
        {"-rw-r--r-- 1 o g 1234 Feb 3 2003 index.html\n", "index.html", false, "Feb 3 2003"},
        {"-rw-r--r-- 1 o g 1 Dec  8 18:57 a.txt", "a.txt", false, "Dec 8 18:57"},
        {"drwxrwxrwt   2 root root 4096 Dec 09 00:19 pub", "pub", true, "Dec 09 00:19"},
        {"drwxrwxrwx 2 o g 4096 Dec 09 00:19 open", "open", true, "Dec 09 00:19"},
        {"drwxr-xr-x+ 2 o g 4096 Dec 09 00:19 acl", "acl", true, "Dec 09 00:19"},
        {"-rwsr-Sr-T. 1 o g 7 Jan 1 2020 odd", "odd", false, "Jan 1 2020"},
        {"total 24", nullptr, false, nullptr},
        {"", nullptr, false, nullptr},
        {"\r\n", nullptr, false, nullptr},
        {"-rw-r--r--", nullptr, false, nullptr},
        {"-rw-r--r-- 1 o g 1 Dec 8 18:57", nullptr, false, nullptr},
        {"-rw-r--r-- 1 o g 1 Dec 8 18:57 name with  blanks.txt\r\n", "name with  blanks.txt", false, "Dec 8 18:57"},
        {"drwxr-xr-x 2 o g 4096 Feb  3  2003   open dir", "  open dir", true, "Feb 3 2003"},
        {"-rw-r--r-- 1 o g 1 Dec 8 18:57   lead blank.htm", "  lead blank.htm", false, "Dec 8 18:57"},
        {"-rw-r--r-- 1 o g 1 Dec 8 18:57 ", nullptr, false, nullptr},
        {"lrwxrwxrwx 1 o g 7 Dec 8 18:57 bin -> usr/bin", nullptr, false, nullptr},
        {"xrw-r--r-- 1 o g 1 Dec 8 18:57 a", nullptr, false, nullptr},
        {"-rw-r--r--x 1 o g 1 Dec 8 18:57 a", nullptr, false, nullptr},
        {"-rw-r--r-q 1 o g 1 Dec 8 18:57 a", nullptr, false, nullptr},
    };
    for (const Case &c : cases) {
        const auto entry = modFTP::parseListingLine(QString::fromLatin1(c.line));
        ASSERT_EQ(entry.has_value(), c.name != nullptr) << c.line;
        if (entry) {
            EXPECT_EQ(entry->name, QString::fromLatin1(c.name)) << c.line;
            EXPECT_EQ(entry->folder, c.folder) << c.line;
            EXPECT_EQ(entry->date, QString::fromLatin1(c.date)) << c.line;
        }
    }
    const auto page = [](const char *name) { return modFTP::remoteKind({false, QString::fromLatin1(name), {}, {}}); };
    EXPECT_EQ(page("index.html"), u"HTML File"_s);
    EXPECT_EQ(page("INDEX.HTM"), u"File"_s);
    EXPECT_EQ(modFTP::remoteKind({true, u"x.htm"_s, {}, {}}), u"Folder"_s);
}

TEST(FtpPaths, UpFoldersJoinsAndTypedPaths)
{
    const std::pair<const char *, const char *> ups[] = {
        {"/pages/images", "/pages/"}, {"/pages/images/", "/pages/"}, {"/pages", "/"}, {"/", "/"}, {"docs", "/"}, {"", "/"}};
    for (const auto &[path, up] : ups)
        EXPECT_EQ(modFTP::getUpDir(QString::fromLatin1(path)), QString::fromLatin1(up)) << path;
    // A remote folder known only relative to the login folder keeps its parent relative.
    for (const auto &[folder, up] : {std::pair{"docs", "."}, {"docs/images", "docs"}, {".", ".."}, {"/pages/x", "/pages/"}})
        EXPECT_EQ(modFTP::remoteParent(QString::fromLatin1(folder)), QString::fromLatin1(up)) << folder;
    const std::tuple<const char *, const char *, const char *> typed[] = {
        {"/pages", "docs", "/pages/docs"}, {"/pages", "..", "/"}, {"/pages/", "./a/../b", "/pages/b"},
        {"/pages", "/other/", "/other"}, {"", "docs", "/docs"}, {"/", "../..", "/"}, {"/pages", "", ""},
        // Relative to the login folder, where the server never named its folder.
        {"public_html", "images", "public_html/images"}, {"public_html", "..", "."}, {".", "..", ".."},
        {"public_html", "/abs", "/abs"}, {".", "docs", "docs"}};
    for (const auto &[current, input, result] : typed)
        EXPECT_EQ(modFTP::resolveRemotePath(QString::fromLatin1(current), QString::fromLatin1(input)),
                  QString::fromLatin1(result)) << input;
    EXPECT_EQ(modFTP::joinRemote(u"/pages"_s, u"a"_s), u"/pages/a"_s);
    EXPECT_EQ(modFTP::joinRemote(u"/"_s, u"a"_s), u"/a"_s);
    EXPECT_EQ(modFTP::joinRemote(u"."_s, u"a"_s), u"a"_s);
    const std::tuple<const char *, const char *, const char *> routes[] = {
        {".", "public_html", "public_html"}, {"public_html", "public_html/images", "images"},
        {"public_html/images", "public_html", ".."}, {"public_html", ".", ".."}, {"a/b", "a/c", "../c"},
        {"public_html", "/abs", "/abs"}, {"/pages", "/pages/x", "/pages/x"}, {".", "", ""}};
    for (const auto &[from, to, route] : routes)
        EXPECT_EQ(modFTP::routeBetween(QString::fromLatin1(from), QString::fromLatin1(to)), QString::fromLatin1(route))
            << from << " -> " << to;
    const std::tuple<const char *, const char *, int> hosts[] = {
        {"ftp.example.com", "ftp.example.com", 21}, {"host:2121", "host", 2121}, {"host:0", "host", 0},
        {"host:99999", "host", 0}, {"host:x", "host", 0}, {" 127.0.0.1:21 ", "127.0.0.1", 21}};
    for (const auto &[field, host, port] : hosts)
        EXPECT_EQ(modFTP::hostAndPort(QString::fromLatin1(field)), std::make_pair(QString::fromLatin1(host), port)) << field;
}

TEST(FtpTexts, SizesDatesAndTheMaskedPassword)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(modFTP::remoteSizeText(u"4096"_s), u"4,096 Bytes"_s);
    EXPECT_EQ(modFTP::remoteSizeText(u"3000000000"_s), u"3,000,000,000 Bytes"_s);
    EXPECT_EQ(modFTP::remoteSizeText(u"big"_s), u"0 Bytes"_s);
    QLocale::setDefault(QLocale::system());
    const std::pair<qint64, const char *> sizes[] = {{0, "1KB"}, {2047, "1KB"}, {2048, "2KB"}, {5000, "4KB"}};
    for (const auto &[bytes, text] : sizes)
        EXPECT_EQ(modFTP::localSizeText(bytes), QString::fromLatin1(text)) << bytes;
    const QDateTime midnight(QDate(2026, 3, 4), QTime(0, 0));
    EXPECT_EQ(modFTP::generalDate(midnight), QLocale::system().toString(midnight.date(), QLocale::ShortFormat));
    EXPECT_EQ(modFTP::generalDate(midnight.addSecs(1)), modDSSock::generalDateTimeText(midnight.addSecs(1)));
    EXPECT_EQ(modDSSock::maskLogins(u"SendData (100): PASS s3cret\r\n"_s), u"SendData (100): PASS ****\r\n"_s);
    EXPECT_EQ(modDSSock::maskLogins(u"BYPASS this"_s), u"BYPASS this"_s);
    EXPECT_EQ(modDSSock::maskLogins(u"PASS s3cret\r\nUSER web"_s), u"PASS ****\r\nUSER web"_s);
}
