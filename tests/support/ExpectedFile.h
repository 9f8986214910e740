#pragma once
// Whole-file comparisons against expected files kept with the tests. With the environment
// variable VELQUIST_REWRITE_EXPECTED set, the expected file is rewritten from the actual bytes
// instead (then review the change with git diff before committing it).
#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>

namespace TestSupport {

// Success when `actual` equals the expected file byte for byte; otherwise names the first line
// that differs.
::testing::AssertionResult matchesExpectedFile(const QByteArray &actual, const QString &expectedPath);

} // namespace TestSupport
