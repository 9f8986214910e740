#include "ExpectedFile.h"

#include <QFile>
#include <QList>

#include <algorithm>

#include "TestEnvironment.h"

namespace TestSupport {

namespace {

// 1-based number and text of the first line where the two differ.
QString firstDifference(const QByteArray &actual, const QByteArray &expected)
{
    const QList<QByteArray> actualLines = actual.split('\n');
    const QList<QByteArray> expectedLines = expected.split('\n');
    const qsizetype common = std::min(actualLines.size(), expectedLines.size());
    qsizetype line = 0;
    while (line < common && actualLines.at(line) == expectedLines.at(line))
        ++line;
    const auto shown = [line](const QList<QByteArray> &lines) {
        return line < lines.size() ? QString::fromLatin1(lines.at(line)) : QStringLiteral("<end of file>");
    };
    return QStringLiteral("first difference at line %1\n  actual:   %2\n  expected: %3")
        .arg(line + 1)
        .arg(shown(actualLines), shown(expectedLines));
}

} // namespace

::testing::AssertionResult matchesExpectedFile(const QByteArray &actual, const QString &expectedPath)
{
    if (qEnvironmentVariableIsSet("VELQUIST_REWRITE_EXPECTED"))
        TestEnvironment::writeFile(expectedPath, actual);
    if (!QFile::exists(expectedPath))
        return ::testing::AssertionFailure() << "missing expected file " << expectedPath.toStdString()
                                             << " (run with VELQUIST_REWRITE_EXPECTED=1 to create it)";
    const QByteArray expected = TestEnvironment::readFile(expectedPath);
    if (actual == expected)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << expectedPath.toStdString() << ": "
                                         << firstDifference(actual, expected).toStdString();
}

} // namespace TestSupport
