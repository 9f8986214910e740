// Column widths as shares of a list's width.
#include <gtest/gtest.h>

#include "platform/ColumnFractions.h"

TEST(ColumnFractions, SharesTruncateAndSharesAboveTheWholeAreScaledToFit)
{
    const struct { int width; QList<double> fractions; QList<int> widths; } cases[] = {
        {400, {2 / 4.0, 1 / 4.0, 0.7 / 4}, {200, 100, 70}},
        {401, {0.5, 0.5}, {200, 200}},
        {550, {0.3 / 5, 3.8 / 5, 1.4 / 5}, {30, 380, 140}},   // 1.1 of the whole, scaled
        {0, {0.5}, {0}},
        {300, {}, {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Platform::columnWidths(c.width, c.fractions), c.widths) << c.width;
}
