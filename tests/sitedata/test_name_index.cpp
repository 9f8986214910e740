// The name index behind the engine collection and the engine category data: positions found by
// name ignoring case, the first entry of a name kept, and every entry still found after the table
// has grown many times.
#include <gtest/gtest.h>

#include <QStringList>

#include "sitedata/NameIndex.h"

namespace {

struct IndexedNames {
    QStringList names;
    NameIndex index;

    auto nameAt() const
    {
        return [this](qint32 position) -> const QString & { return names[position]; };
    }
    bool add(const QString &name)
    {
        if (!index.insert(name, qint32(names.size()), nameAt()))
            return false;
        names.append(name);
        return true;
    }
    qint32 find(const QString &name) const { return index.find(name, nameAt()); }
};

} // namespace

TEST(NameIndex, FindsNamesIgnoringCaseAndKeepsTheFirstOfARepeatedName)
{
    IndexedNames list;
    EXPECT_EQ(list.find(QStringLiteral("anything")), NameIndex::NotFound);
    EXPECT_TRUE(list.add(QStringLiteral("Alpha")));
    EXPECT_TRUE(list.add(QString::fromLatin1("\xc9" "cole")));
    EXPECT_TRUE(list.add(QString()));
    EXPECT_FALSE(list.add(QStringLiteral("ALPHA")));
    EXPECT_FALSE(list.add(QString::fromLatin1("\xe9" "COLE")));
    EXPECT_EQ(list.find(QStringLiteral("alpha")), 0);
    EXPECT_EQ(list.find(QString::fromLatin1("\xe9" "cole")), 1);
    EXPECT_EQ(list.find(QString()), 2);
    EXPECT_EQ(list.find(QStringLiteral("Alph")), NameIndex::NotFound);
    EXPECT_EQ(list.find(QStringLiteral("Alpha ")), NameIndex::NotFound);

    list.index.clear();
    EXPECT_EQ(list.find(QStringLiteral("Alpha")), NameIndex::NotFound);
}

TEST(NameIndex, EveryEntryIsFoundAfterTheTableGrewAndRepeatsAreRefusedAtAnySize)
{
    IndexedNames list;
    constexpr int count = 50000;
    for (int i = 0; i < count; ++i)
        ASSERT_TRUE(list.add(QStringLiteral("Engine ") + QString::number(i)));
    for (int i = 0; i < count; i += 7) {
        ASSERT_EQ(list.find(QStringLiteral("ENGINE ") + QString::number(i)), i);
        ASSERT_FALSE(list.add(QStringLiteral("engine ") + QString::number(i)));
    }
    EXPECT_EQ(list.find(QStringLiteral("Engine ") + QString::number(count)), NameIndex::NotFound);
    EXPECT_EQ(list.names.size(), count);
}
