#pragma once
// Reading the pages of web directories whose categories are their own (custom-category engines):
// the top categories of an engine's category data, the sub-category links of a fetched category
// page, the directory's space id and the open directory's category id. Pure text functions; the
// clsMain members that show their results are in clsMainCustomCategory.cpp.
#include <QList>
#include <QString>

class QLabel;

namespace clsMainCustomCategory {

// The directory whose category folders write blanks as "_".
inline const QString kUnderscoreEngine = QStringLiteral("Pioneer Directory");
// The open directory: its add-URL form carries the category id.
inline const QString kOpenDirectoryEngine = QStringLiteral("Yonder Directory");
inline const QString kOpenDirectoryHost = QStringLiteral("www.yonder-directory.example");
// The host of the directory add pages whose links carry a space id ("<host>/fast/add?<id>").
inline const QString kDirectoryAddHost = QStringLiteral("add.dir.example");

struct CategoryRow {
    QString text;
    QString tag;
};

// The top categories of an engine's category data ("label=path>label=path>URL=base>").
struct TopCategories {
    QList<CategoryRow> rows;   // tags begin with "/"
    QString baseAddress;       // the "URL" item's value
    bool hasBaseAddress = false;
};
TopCategories topCategories(QString categoryData);

// What one fetched category page holds.
struct CategoryPage {
    QList<CategoryRow> rows;   // sub-categories, in page order
    QString spaceId;           // the last space id link's id
    bool hasSpaceId = false;
    QString addURL;            // the open directory's add-URL address, "" when none
};
// `engineName` is the engine being browsed; `categoryKey` the path being opened (the open
// directory takes only links below it).
CategoryPage readCategoryPage(const QString &page, const QString &engineName, const QString &categoryKey);

// The id of a space id link: after the first "?", before the next ">", without its quotes.
QString spaceIdOfLink(const QString &link);
// The id in the open directory's add-URL form ("name=index ... value=<id>"); "" when none.
QString categoryIdOfForm(const QString &page);

// Whether the engine is the one named (ignoring case).
bool isEngine(const QString &engineName, const QString &name);

// The text without one leading and one trailing quotation mark (double or single).
QString withoutQuotes(QString text);

// The state label of the category choice: blue while the choice goes on, the normal text colour
// when it is ready.
void showChoiceState(QLabel *label, const QString &caption, bool choosing);

} // namespace clsMainCustomCategory
