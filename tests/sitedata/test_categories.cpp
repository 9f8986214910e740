// The category list, the country list, the engine category data lookups and the category choice
// of the site-details pages.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QListWidget>

#include "MainObjectFixture.h"
#include "platform/KeyedListView.h"
#include "sitedata/EngineListView.h"

namespace {

QStringList rowsOf(const QListWidget *list)
{
    QStringList rows;
    for (int i = 0; i < list->count(); ++i)
        rows.append(list->item(i)->text());
    return rows;
}

QStringList itemsOf(const QComboBox *combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items.append(combo->itemText(i));
    return items;
}

} // namespace

class Categories : public MainObjectTest {
protected:
    QString chosen() const
    {
        QString mainCategory;
        QString subCategory;
        main->getSelectedCategory(mainCategory, subCategory);
        return mainCategory + QStringLiteral(" / ") + subCategory;
    }
};

TEST_F(Categories, CategoryListKeepsItsOrderAndSkipsRepeatedAndEmptyMains)
{
    writeProgramFile(QStringLiteral("cat.vqs"),
                     crlf({"stray line", "[Arts]", "[Arts] ", "Music|Film|", "#[Hidden]", "", "[]", "Lost",
                           "[Business and Finance]", "Retail", "[arts]", "Dup", "[Shopping]", "Gifts"}));
    ASSERT_TRUE(main->loadCategory());
    EXPECT_EQ(rowsOf(w->lstMainCategory),
              (QStringList{QStringLiteral("Arts"), QStringLiteral("Business and Finance"), QStringLiteral("Shopping")}));
    // The first main category is chosen with its sub-categories; "|" splits a line, a trailing one adds nothing.
    EXPECT_EQ(w->lstMainCategory->currentRow(), 0);
    EXPECT_EQ(rowsOf(w->lstCategory),
              (QStringList{QStringLiteral("[Arts] "), QStringLiteral("Music"), QStringLiteral("Film")}));
    // The repeated "[arts]" is logged with the lines before the first main category, and skipped.
    const QByteArray log = errorLog();
    EXPECT_TRUE(log.contains("------Load Category Fail ------"));
    EXPECT_TRUE(log.contains("Buffer=stray line"));
    EXPECT_TRUE(log.contains("Buffer=[arts]"));
    EXPECT_EQ(env.dialogs.shown().size(), 0);

    main->loadSubCategory(QStringLiteral("shopping"));
    EXPECT_EQ(rowsOf(w->lstCategory), QStringList{QStringLiteral("Gifts")});
}

TEST_F(Categories, MissingCategoryListFailsWithoutAMessageAndEmptyListLoadsNothing)
{
    EXPECT_FALSE(main->loadCategory());
    EXPECT_EQ(env.dialogs.shown().size(), 0);
    writeProgramFile(QStringLiteral("cat.vqs"), QByteArray());
    EXPECT_TRUE(main->loadCategory());
    EXPECT_EQ(w->lstMainCategory->count(), 0);
}

TEST_F(Categories, ChoosingACategoryFallsBackAsTheSiteDetailsExpect)
{
    writeProgramFile(QStringLiteral("cat.vqs"), crlf({"[Arts]", "Music", "[Big Business]", "Retail", "Marketing",
                                                      "[Business and Finance]", "Investing"}));
    ASSERT_TRUE(main->loadCategory());

    main->setSelectedCategory(QStringLiteral("ARTS"), QStringLiteral("music"));
    EXPECT_EQ(chosen(), QStringLiteral("Arts / Music"));
    // No main category: the first one holding the sub-category.
    main->setSelectedCategory(QString(), QStringLiteral("Marketing"));
    EXPECT_EQ(chosen(), QStringLiteral("Big Business / Marketing"));
    main->setSelectedCategory(QString(), QString());
    EXPECT_EQ(chosen(), QStringLiteral("Arts / "));
    // No main category and no sub-category match: "Business and Finance".
    main->setSelectedCategory(QString(), QStringLiteral("Nothing"));
    EXPECT_EQ(chosen(), QStringLiteral("Business and Finance / "));
    // An unknown main category: the first row holding "Business"; nothing of the earlier choice stays.
    main->setSelectedCategory(QStringLiteral("Nope"), QStringLiteral("Music"));
    EXPECT_EQ(chosen(), QStringLiteral("Big Business / "));
    EXPECT_EQ(w->lstMainCategory->selectedItems().size(), 1);

    writeProgramFile(QStringLiteral("cat.vqs"), crlf({"[Arts]", "Music"}));
    ASSERT_TRUE(main->loadCategory());
    main->setSelectedCategory(QStringLiteral("Nope"), QString());
    EXPECT_EQ(w->lstMainCategory->selectedItems().size(), 0);
    EXPECT_EQ(w->lstCategory->count(), 0);
}

TEST_F(Categories, CountryNamesAreTheKeysBeforeTheCodeSection)
{
    writeProgramFile(QStringLiteral("country.vqs"),
                     QByteArray("# x=y\r\n[Country Name]\r\nGermany=DE\nFrance =FR\r\n\r\nno equals\r\n"
                                "[country code]\r\nDE=Germany\r\n"));
    ASSERT_TRUE(main->loadCountry());
    EXPECT_EQ(itemsOf(w->cboCountry), (QStringList{QStringLiteral("Germany"), QStringLiteral("France ")}));
    EXPECT_TRUE(w->cboCountry->currentText().isEmpty());

    QFile::remove(programPath(QStringLiteral("country.vqs")));
    EXPECT_FALSE(main->loadCountry());
    EXPECT_EQ(env.dialogs.shown().size(), 0);
}

TEST_F(Categories, EngineCategoryLookupTakesTheFirstEntryOfANameIgnoringCase)
{
    writeEngineFile(QStringLiteral("catvqs.dat"),
                    crlf({"A=before any entry", "[Alpha]", "Arts=1", "[Beta", "Music=2", "[alpha]", "Arts=9",
                          "[Gamma] note", "\t", "  #x", "end ", "Other=3", "END", "[Late]", "X=1"}));
    ASSERT_TRUE(main->loadEngineCategory());
    EXPECT_EQ(main->getEngineCategoryData(QStringLiteral("ALPHA")), QStringLiteral("Arts=1>Music=2>"));
    EXPECT_EQ(main->getEngineCategoryData(QStringLiteral("gamma")), QStringLiteral("\t>  #x>end >Other=3>"));
    EXPECT_TRUE(main->getEngineCategoryData(QStringLiteral("Late")).isEmpty());
    EXPECT_TRUE(main->getEngineCategoryData(QStringLiteral("Nobody")).isEmpty());
}

TEST(CategoryText, EveryLineBreakBecomesOneSpace)
{
    EXPECT_EQ(clsMain::removeCrLf(QStringLiteral("a\r\nb\rc\nd\n\re")), QStringLiteral("a b c d  e"));
    EXPECT_EQ(clsMain::removeCrLf(QString()), QString());
}

TEST_F(Categories, BrokenDataFilesLoadThroughEveryLoaderWithoutACrash)
{
    QByteArray binary(64 * 1024, '\0');
    for (int i = 0; i < binary.size(); ++i)
        binary[i] = static_cast<char>((i * 7919 + i / 13) & 0xff);
    const QList<QByteArray> inputs = {
        QByteArray(), binary, QByteArray("Name=Cut\r\nType=EN"), QByteArray("[Arts"), QByteArray("=\r\n[]\r\n]\r\n["),
        QByteArray(3 * 1024 * 1024, 'x'), QByteArray(512 * 1024, '\r') + "Name=Late\nCountry=" + QByteArray(4096, 'Q'),
    };
    env.dialogs.acceptAllMessages();
    for (const QByteArray &input : inputs) {
        for (const char *name : {"cat.vqs", "country.vqs"})
            writeProgramFile(QString::fromLatin1(name), input);
        for (const char *name : {"catvqs.dat", "vqzeng5.dat"})
            writeEngineFile(QString::fromLatin1(name), input);
        main->loadCategory();
        main->loadCountry();
        main->loadEngineCategory();
        main->loadEngines();
        EXPECT_TRUE(w->lsvEngines->updatesEnabled());
        // The files are read, never changed.
        EXPECT_EQ(TestSupport::TestEnvironment::readFile(enginePath(QStringLiteral("vqzeng5.dat"))), input);
    }
}
