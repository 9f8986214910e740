// The update's content checks: a body is stored only when it reads as its file reads in the
// program. The bundled data files pass; cut or swapped ones are refused, by the checks alone and
// through the window, whether or not the server announced their length.
#include <gtest/gtest.h>

#include "enginedata/UpdateFiles.h"
#include "test_update_fixture.h"

using namespace Qt::StringLiterals;
using TestSupport::LoopbackServer;

namespace {

const char *const kNames[] = {"vqzeng5.dat", "catvqs.dat", "top.vqs", "cat.vqs", "vqreng.dat"};

QByteArray bundled(int file)
{
    return TestSupport::TestEnvironment::readFile(QStringLiteral(VELQUIST_SOURCE_DIR "/data/") + QLatin1String(kNames[file]));
}

// The problem of `body` as file `file`, the bundled files before it checked first.
QString problemAfterBundled(int file, const QByteArray &body)
{
    UpdateFiles::Checker checker;
    for (int before = 0; before < file; ++before) {
        if (!checker.problem(before, bundled(before)).isEmpty())
            return u"bundled file refused"_s;
    }
    return checker.problem(file, body);
}

// Where each line after the first starts: the ends of the whole lines before it.
QList<qsizetype> lineEnds(const QByteArray &bytes)
{
    QList<qsizetype> ends;
    for (qsizetype i = 0; i + 1 < bytes.size(); ++i) {
        if (bytes[i] == '\n')
            ends.append(i + 1);
    }
    return ends;
}

// The last line end of the bundled file at which a cut can be told: before the end line of the
// engine database (what follows it is never read) and of the engine category data, before the
// last main category of the category list, before the last line of the ranking engine file; for
// the top-engine list, inside its second name.
qsizetype lastTellableCut(int file, const QByteArray &whole)
{
    switch (file) {
    case 0: return whole.indexOf("END:Version 6.0");
    case 1: return whole.lastIndexOf("\nEND") + 1;
    case 2: return whole.indexOf('\n') + 4;
    case 3: return whole.lastIndexOf("\n[") + 1;
    default: return whole.lastIndexOf('\n', whole.trimmed().size() - 1) + 1;
    }
}

} // namespace

// Whole or in pieces as a server sends them, a piece's end between CR and LF included.
TEST(UpdateFilesTest, TheBundledFilesPassWithEveryLineEndInAnyPieces)
{
    for (const QByteArray &lineEnd : {QByteArray("\r\n"), QByteArray("\n"), QByteArray("\r")}) {
        for (const qsizetype piece : {qsizetype(0), qsizetype(1), qsizetype(7)}) {
            UpdateFiles::Checker checker;
            for (int file = 0; file < 5; ++file) {
                QByteArray body = bundled(file);
                body.replace("\r\n", lineEnd);
                checker.begin(file);
                for (qsizetype at = 0; at < body.size(); at += piece > 0 ? piece : body.size())
                    checker.take(QByteArrayView(body).sliced(at, std::min(piece > 0 ? piece : body.size(), body.size() - at)));
                EXPECT_EQ(checker.end(), QString()) << kNames[file] << " " << lineEnd.size() << " " << piece;
            }
        }
    }
}

// A cut at any line end is refused where the file's format can tell: the engine database and the
// engine category data have end lines, the ranking engine file lists its sections, the category
// list must hold every category the engine category data maps. A category list cut among the
// sub-categories of its last main category reads as a shorter whole file; the top-engine list has
// no reader, and any cut of it, inside a name too, is stored.
TEST(UpdateFilesTest, EveryCutAtALineEndIsRefused)
{
    for (int file : {0, 1, 3, 4}) {
        const QByteArray whole = bundled(file);
        for (qsizetype end : lineEnds(whole)) {
            if (end > lastTellableCut(file, whole))
                continue;
            EXPECT_NE(problemAfterBundled(file, whole.left(end)), QString()) << kNames[file] << " cut at " << end;
        }
    }
    const QByteArray top = bundled(2);
    for (qsizetype end = 1; end < top.size(); ++end)
        EXPECT_EQ(problemAfterBundled(2, top.left(end)), QString()) << "top.vqs cut at " << end;
}

// Each of the five files in the place of another is refused, but for the category list in the
// place of the top-engine list: no part of the program reads that one, and a list of names does not
// tell itself from a category list.
TEST(UpdateFilesTest, EverySwapIsRefused)
{
    for (int file = 0; file < 5; ++file) {
        for (int other = 0; other < 5; ++other) {
            if (other == file)
                continue;
            const QString problem = problemAfterBundled(file, bundled(other));
            EXPECT_EQ(problem.isEmpty(), file == 2 && other == 3) << kNames[other] << " as " << kNames[file];
        }
    }
}

// What each reader would stumble on, named. A byte-order mark is refused only where the reader,
// which reads it as part of line 1, would lose that line (an engine, an entry, a section).
#define BOM_READ "it starts with a UTF-8 byte-order mark, which its reader reads as part of line 1"
TEST(UpdateFilesTest, AProblemNamesWhatTheReaderWouldMeet)
{
    const QByteArray engines = "Name=Alpha Search\r\nMaxTitle=70\r\nName=Orchid Directory\r\nName=Cobalt Links 2\r\n"
                               "END:Version 6.0\r\n";
    const QByteArray ranking = "[Engines]\r\nNumOfEngines=2\r\n1=A\r\n2=\r\n[A]\r\nStart=10 pages\r\n"
                               "[KeywordBuilder]\r\nNumOfURLs=10\r\n";
    struct Case {
        int file;
        QByteArray body;
        const char *problem;   // empty: passes
    };
    const Case cases[] = {
        {0, engines, ""},
        {0, "Name=A\r\nSiteLevel=40000\r\nEND:Version 6.0\r\n", "line 2 (\"SiteLevel=40000\") holds a number out of its range"},
        {0, "MaxTitle=99999999999\r\nName=A\r\nEND:Version 6.0\r\n", "line 1 (\"MaxTitle=99999999999\") holds a number out of its range"},
        {0, "Name=A\r\nend:version 6.0\r\nSiteLevel=99999\r\n", ""},
        {0, "Name=A\r\n", "it ends before its end line \"END:Version 6.0\""},
        {0, "Name= \r\nEND:Version 6.0\r\n", "it holds no engine"},
        {0, "", "it is empty"},
        {0, "\xEF\xBB\xBF" "# c\r\n" + engines, ""},
        {0, "\xEF\xBB\xBF" "Home=x\r\n" + engines, ""},
        {0, "\xEF\xBB\xBF" + engines, "its reader would not find line 1 (\"Name=Alpha Search\"); " BOM_READ},
        {0, "  <html>", "it is a web page"},
        {1, "Arts=1\r\n[A]\r\nArts=2\r\nEND\r\n", ""},
        {1, "[A]\r\nArts=2\r\n", "it ends before its end line \"END\""},
        {1, "Arts=1\r\nEND\r\n", "it holds no engine category entry"},
        {1, "\xEF\xBB\xBF" "Arts=1\r\n[A]\r\nArts=2\r\nEND\r\n", ""},
        {1, "\xEF\xBB\xBF" "[A]\r\nArts=2\r\n[B]\r\nArts=2\r\nEND\r\n", "its reader would not find line 1 (\"[A]\"); " BOM_READ},
        {2, "alpha search\r\n\r\n#comment\r\n  Orchid Directory \r\n", ""},
        {2, "", ""},
        {2, "Alpha Search\r\nBeacon Search\r\n", ""},
        {2, "\xEF\xBB\xBF" "Alpha Search\r\n", ""},
        {2, "[Arts]\r\nMusic\r\nEND:Version 6.0\r\n", "it is an engine database: line 3 is its end line \"END:Version 6.0\""},
        {2, "[A]\r\nArts=1\r\nend\r\n", "it is engine category data: it holds category entries and their end line \"END\""},
        {2, "[Arts]\r\nEND\r\n", "it is engine category data: it holds category entries and their end line \"END\""},
        {2, "END\r\n[Arts]\r\n", ""},
        {2, "\xEF\xBB\xBF" "[engines]\r\n", "it is a ranking engine file: it holds an [Engines] section"},
        {3, "# list\r\n[Arts]\r\nMusic\r\n", ""},
        {3, "\xEF\xBB\xBF" "# list\r\n[Arts]\r\nMusic\r\n", ""},
        {3, "\xEF\xBB\xBF" "[Music]\r\n[Arts]\r\n", "its reader would not find line 1 (\"[Music]\"); " BOM_READ},
        {3, "Arts\r\n[]\r\n", "it holds no main category"},
        {4, ranking, ""},
        {4, "\xEF\xBB\xBF" "; c\r\n" + ranking, ""},
        {4, "\xEF\xBB\xBF" + ranking, "it has no [Engines] section with a NumOfEngines from 1 to 32767; " BOM_READ},
        {4, "[Engines]\r\nNumOfEngines=x\r\n", "it has no [Engines] section with a NumOfEngines from 1 to 32767"},
        {4, "[Engines]\r\nNumOfEngines=1\r\n1=\r\n", "its [Engines] section names no engine"},
        {4, "[Engines]\r\nNumOfEngines=1\r\n1=A\r\n[B]\r\n", "it has no section for engine 1 (\"A\")"},
        {4, "[Engines]\r\nNumOfEngines=1\r\n1=A\r\n[A]\r\nPerPage=40000\r\n", "the PerPage of engine \"A\" is out of its range"},
        {4, "[Engines]\r\nNumOfEngines=1\r\n1=A\r\n[A]\r\n[KeywordBuilder]\r\nNumOfURLs=0\r\n",
         "it has no [KeywordBuilder] section with a NumOfURLs of at least 1"},
    };
    for (const Case &c : cases) {
        UpdateFiles::Checker checker;
        ASSERT_EQ(checker.problem(0, engines), QString());
        ASSERT_EQ(checker.problem(1, "[A]\r\nArts=1\r\nURL=http://a.example/\r\nEND\r\n"), QString());
        EXPECT_EQ(checker.problem(c.file, c.body), QString::fromLatin1(c.problem)) << c.body.toStdString();
    }
    // The category list holds each category the engine category data maps, main or sub.
    UpdateFiles::Checker checker;
    checker.problem(1, "[A]\r\nmusic=1\r\nOther=2\r\nEND\r\n");
    EXPECT_EQ(checker.problem(3, "[Arts]\r\nMusic\r\n"), u"it lacks the category \"Other\" that the engine category data maps"_s);
    EXPECT_EQ(checker.problem(3, "[Arts]\r\nMusic\r\n[OTHER]\r\n"), QString());
}
#undef BOM_READ

// Through the window: each bundled file cut or swapped for another leaves all five old files and
// names the file; the whole set is stored byte for byte. With and without Content-Length. The
// top-engine list, which no part of the program reads, is stored cut or as a category list.
TEST_F(UpdateTest, CutSwappedAndWholeBundledFilesWithAndWithoutContentLength)
{
    struct Case {
        std::string name;
        int file;             // the file served wrongly, -1 for none
        QByteArray body;
        bool withLength;
        bool stored = false;  // the body is stored all the same
    };
    QList<Case> cases;
    for (const bool withLength : {true, false}) {
        cases.append({"whole", -1, QByteArray(), withLength});
        for (int file = 0; file < 5; ++file) {
            const QByteArray whole = bundled(file);
            const QList<qsizetype> ends = lineEnds(whole);
            cases.append({std::string("cut near the end of ") + kNames[file], file,
                          whole.left(lastTellableCut(file, whole)), withLength, file == 2});
            if (file != 2)
                cases.append({std::string("cut in the middle of ") + kNames[file], file, whole.left(ends[ends.size() / 2]),
                              withLength});
            for (int other = 0; other < 5; ++other) {
                if (other != file && (file + other) % 2 == (withLength ? 0 : 1))
                    cases.append({std::string(kNames[other]) + " as " + kNames[file], file, bundled(other), withLength,
                                  file == 2 && other == 3});
            }
        }
    }
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name + (c.withLength ? ", with Content-Length" : ", without Content-Length"));
        freshRun();
        for (int file = 0; file < 5; ++file) {
            const QByteArray body = file == c.file ? c.body : bundled(file);
            const bool withLength = c.withLength;
            answers[file] = [body, withLength](QTcpSocket *client, int, const QByteArray &) {
                client->write(withLength ? LoopbackServer::httpReply(200, body) : "HTTP/1.0 200 OK\r\n\r\n" + body);
                client->disconnectFromHost();
            };
        }
        ASSERT_TRUE(runUpdate());
        if (c.file < 0 || c.stored) {
            EXPECT_EQ(reports, QList<bool>{true});
            for (int file = 0; file < 5; ++file)
                EXPECT_EQ(stored(file), QByteArray((file == c.file ? c.body : bundled(file)) + "\r\n")) << file;
            continue;
        }
        expectFailureState();
        expectOldFiles();
        const QString named = clsUpdateEngines::requestPath(c.file) + u" from "_s + server.hostPort()
                              + u" is not the engine data file "_s + QLatin1String(kNames[c.file]) + u": "_s;
        EXPECT_TRUE(window->Label1->text().contains(named)) << window->Label1->text().toStdString();
    }
}

// The bundled files with a UTF-8 byte-order mark before line 1, each read as its reader reads it
// (the mark as part of line 1): stored where that line is a comment the reader skips anyway,
// refused where the reader would lose it (the first engine, category entry or main category, the
// ranking file's [Engines] section). The top-engine list, read by no part of the program, is
// stored with a mark and with an engine the new engine database lacks.
TEST_F(UpdateTest, AByteOrderMarkIsReadAsItsReaderReadsItAndTheTopListMayNameMoreEngines)
{
    const QByteArray mark = "\xEF\xBB\xBF";
    // The bundled file from its first line that is not a comment.
    const auto fromFirstLine = [](int file) {
        const QByteArray whole = bundled(file);
        qsizetype at = 0;
        while (whole[at] == '#' || whole[at] == '\r')
            at = whole.indexOf('\n', at) + 1;
        return whole.mid(at);
    };
    struct Case {
        int file;
        QByteArray body;
        bool stored;
    };
    const Case cases[] = {
        {0, mark + bundled(0), true},  {0, mark + fromFirstLine(0), false},
        {1, mark + bundled(1), true},  {1, mark + fromFirstLine(1), false},
        {2, mark + bundled(2), true},  {2, bundled(2) + "Zenith Engine Not In The Database\r\n", true},
        {3, mark + bundled(3), true},  {3, mark + fromFirstLine(3), false},
        {4, mark + "; ranking engines\r\n" + bundled(4), true}, {4, mark + bundled(4), false},
    };
    ASSERT_TRUE(fromFirstLine(0).startsWith("Name=") && fromFirstLine(1).startsWith('[') && fromFirstLine(3).startsWith('['));
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(kNames[c.file]) + ": " + c.body.left(40).toStdString());
        freshRun();
        for (int file = 0; file < 5; ++file)
            answers[file] = [body = file == c.file ? c.body : bundled(file)](QTcpSocket *client, int, const QByteArray &) {
                client->write(LoopbackServer::httpReply(200, body));
                client->disconnectFromHost();
            };
        ASSERT_TRUE(runUpdate());
        if (c.stored) {
            EXPECT_EQ(reports, QList<bool>{true});
            EXPECT_EQ(stored(c.file), c.body + "\r\n");
            continue;
        }
        expectFailureState();
        expectOldFiles();
        EXPECT_TRUE(window->Label1->text().contains(QLatin1String(kNames[c.file]) + u": "_s))
            << window->Label1->text().toStdString();
        EXPECT_TRUE(window->Label1->text().contains(u"byte-order mark"_s)) << window->Label1->text().toStdString();
    }
}
