// Reading data files line by line in chunks: a line or a CR LF pair cut by a chunk's end reads as
// if the file were read whole.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "platform/Codec1252.h"
#include "platform/TextFile.h"
#include "sitedata/modDataFiles.h"
#include "platform/modDSSockLog.h"
#include "support/TestEnvironment.h"

namespace {

constexpr qsizetype kChunk = 256 * 1024;   // the reader's read size

QStringList readAllLines(const QString &path, bool *ok = nullptr)
{
    QStringList lines;
    const bool read = Platform::forEachLine(path, [&lines](const QString &line) {
        lines.append(line);
        return true;
    }).readable;
    if (ok)
        *ok = read;
    return lines;
}

class FileLines : public ::testing::Test {
protected:
    QString write(const QByteArray &bytes)
    {
        const QString path = dir.path() + QStringLiteral("/lines.dat");
        TestSupport::TestEnvironment::writeFile(path, bytes);
        return path;
    }
    void expectSameAsWholeText(const QByteArray &bytes)
    {
        bool ok = false;
        const QStringList lines = readAllLines(write(bytes), &ok);
        EXPECT_TRUE(ok);
        EXPECT_EQ(lines, Platform::splitLines(Platform::fromAnsi(bytes)));
    }
    QTemporaryDir dir;
};

} // namespace

TEST_F(FileLines, LineEndsAtAChunksEndReadAsOne)
{
    // CR LF cut between two chunks: one line end, no empty line.
    QByteArray crlfCut = QByteArray(kChunk - 1, 'a') + "\r\nnext\r\n";
    expectSameAsWholeText(crlfCut);
    EXPECT_EQ(readAllLines(write(crlfCut)).size(), 2);
    // A lone CR as a chunk's last byte, then a line and a CR CR (one empty line between).
    expectSameAsWholeText(QByteArray(kChunk - 1, 'b') + "\rnext\r\rlast");
    // A LF as a chunk's first byte after a line that ended on the chunk's last byte.
    expectSameAsWholeText(QByteArray(kChunk, 'c') + "\nnext");
    // LF then CR at the cut: two line ends.
    expectSameAsWholeText(QByteArray(kChunk - 1, 'd') + "\n\rnext\n");
}

TEST_F(FileLines, LinesLongerThanAChunkAndHighBytesComeWhole)
{
    QByteArray bytes = "first\r\n" + QByteArray(kChunk * 2 + 17, 'x') + "\xe9\x81\r\n" + QByteArray(kChunk, 'y');
    expectSameAsWholeText(bytes);
    const QStringList lines = readAllLines(write(bytes));
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[1].size(), kChunk * 2 + 19);
    EXPECT_EQ(lines[1].right(2), Platform::fromAnsi("\xe9\x81"));
    EXPECT_EQ(lines[2].size(), kChunk);
}

TEST_F(FileLines, TheReaderStopsWhenAskedAndFailsOnAMissingFile)
{
    const QString path = write("one\r\ntwo\r\nthree\r\n");
    QStringList seen;
    EXPECT_TRUE(Platform::forEachLine(path, [&seen](const QString &line) {
        seen.append(line);
        return line != QStringLiteral("two");
    }).readable);
    EXPECT_EQ(seen, (QStringList{QStringLiteral("one"), QStringLiteral("two")}));

    bool ok = true;
    EXPECT_TRUE(readAllLines(dir.path() + QStringLiteral("/missing.dat"), &ok).isEmpty());
    EXPECT_FALSE(ok);
    expectSameAsWholeText(QByteArray());
}

TEST_F(FileLines, LinesOverOneMegabyteAreLeftOutAndNamedInTheLog)
{
    const qsizetype limit = Platform::kMaxLineBytes;
    // Cut across chunks, of exactly the limit, one byte over it, and last without a line end.
    const QByteArray bytes = "a\r\n" + QByteArray(limit, 'k') + "\r\n" + QByteArray(limit + 1, 'x') + "\nb\r"
        + QByteArray(3 * kChunk + limit, 'y');
    const QString path = write(bytes);
    QList<qint64> skipped;
    const std::optional<QStringList> lines = Platform::readLines(path, skipped);
    ASSERT_TRUE(lines);
    EXPECT_EQ(*lines, (QStringList{QStringLiteral("a"), QString(limit, QLatin1Char('k')), QStringLiteral("b")}));
    EXPECT_EQ(skipped, (QList<qint64>{3, 5}));

    TestSupport::TestEnvironment env;
    ASSERT_TRUE(modDataFiles::readLines(path));
    const QByteArray log = TestSupport::TestEnvironment::readFile(modDSSock::errorLogFile());
    EXPECT_TRUE(log.contains(QByteArray("Line too long, skipped: " + path.toUtf8() + " line 3\r\n")));
    EXPECT_TRUE(log.contains(" line 5\r\n"));
}

// The byte reader of the large data files cuts every one of these files into the lines the text
// reader gives, and leaves out the same overlong lines.
TEST_F(FileLines, TheByteReaderGivesTheTextReadersLines)
{
    TestSupport::TestEnvironment env;   // the overlong lines are logged
    const qsizetype limit = Platform::kMaxLineBytes;
    const QList<QByteArray> files = {
        QByteArray(kChunk - 1, 'a') + "\r\nnext\r\n", QByteArray(kChunk - 1, 'b') + "\rnext\r\rlast",
        QByteArray(kChunk, 'c') + "\nnext", QByteArray(kChunk - 1, 'd') + "\n\rnext\n",
        "first\r\n" + QByteArray(kChunk * 2 + 17, 'x') + "\xe9\x81\r\n" + QByteArray(kChunk, 'y'),
        "a\r\n" + QByteArray(limit, 'k') + "\r\n" + QByteArray(limit + 1, 'x') + "\nb\r" + QByteArray(3 * kChunk + limit, 'y'),
        QByteArray(), "\r\n\n\r",
    };
    for (const QByteArray &bytes : files) {
        const QString path = write(bytes);
        QList<qint64> skipped;
        const std::optional<QStringList> expected = Platform::readLines(path, skipped);
        QStringList lines;
        const Platform::LineReading reading = modDataFiles::forEachByteLine(path, [&lines](QByteArrayView line) {
            lines.append(modDataFiles::decoded(line));
            return true;
        });
        ASSERT_TRUE(expected);
        EXPECT_TRUE(reading.readable);
        EXPECT_EQ(lines, *expected);
        EXPECT_EQ(reading.skippedLines, skipped);
    }
    EXPECT_FALSE(modDataFiles::forEachByteLine(dir.path() + QStringLiteral("/missing.dat"), [](QByteArrayView) {
        return true;
    }).readable);
}
