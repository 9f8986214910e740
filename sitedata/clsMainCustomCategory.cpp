// Custom-category engines: the top categories of the chosen engine, the rows of a fetched
// directory page, and the space id or category id the directory gives for the chosen category.
#include "sitedata/clsMainCustomCategory.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPalette>

#include "core/modCommonHtml.h"
#include "mainwindow/frmMain.h"
#include "platform/CommonControls.h"
#include "sitedata/EngineCollection.h"
#include "platform/KeyedListView.h"
#include "sitedata/clsMain.h"
#include "transport/modDSSockUrl.h"

namespace clsMainCustomCategory {

namespace {

bool containsNoCase(const QString &text, const QString &part)
{
    return modCommon::indexOfNoCase(text, part) >= 0;
}

bool isQuote(QChar ch)
{
    return ch == QLatin1Char('"') || ch == QLatin1Char('\'');
}

// The visible text of an anchor. Plain text without a tag is taken as it is, so a plain anchor
// is not lost.
QString anchorText(const QString &html)
{
    const QString text = html.contains(QLatin1Char('<')) ? modDSSock::htmlToText(html) : html;
    return text.trimmed();
}

} // namespace

QString withoutQuotes(QString text)
{
    if (!text.isEmpty() && isQuote(text.front()))
        text.remove(0, 1);
    if (!text.isEmpty() && isQuote(text.back()))
        text.chop(1);
    return text;
}

bool isEngine(const QString &engineName, const QString &name)
{
    return engineName.compare(name, Qt::CaseInsensitive) == 0;
}

TopCategories topCategories(QString categoryData)
{
    TopCategories result;
    if (!categoryData.endsWith(QLatin1Char('>')))
        categoryData += QLatin1Char('>');
    for (const QString &item : categoryData.split(QLatin1Char('>'))) {
        const qsizetype equals = item.indexOf(QLatin1Char('='));
        if (equals < 0)
            continue;
        const QString label = item.left(equals);
        const QString value = item.mid(equals + 1);
        if (label.compare(QLatin1String("URL"), Qt::CaseInsensitive) == 0) {
            result.baseAddress = value;
            result.hasBaseAddress = true;
        } else {
            result.rows.append({label, value.startsWith(QLatin1Char('/')) ? value : QLatin1Char('/') + value});
        }
    }
    return result;
}

QString spaceIdOfLink(const QString &link)
{
    QString id = link;
    const qsizetype question = id.indexOf(QLatin1Char('?'));
    if (question >= 0) {
        id = id.mid(question + 1);
        const qsizetype close = id.indexOf(QLatin1Char('>'));
        if (close >= 0)
            id.truncate(close);
    }
    return withoutQuotes(id);
}

QString categoryIdOfForm(const QString &page)
{
    const qsizetype field = modCommon::indexOfNoCase(page, u"name=index");
    if (field < 0)
        return QString();
    const qsizetype value = modCommon::indexOfNoCase(page, u"value=", field);
    if (value < 0)
        return QString();
    QString id = page.mid(value + 6);
    const qsizetype close = id.indexOf(QLatin1Char('>'));
    if (close >= 0)
        id.truncate(close);
    return withoutQuotes(id.trimmed());
}

CategoryPage readCategoryPage(const QString &page, const QString &engineName, const QString &categoryKey)
{
    CategoryPage result;
    const QString spaceIdMark = kDirectoryAddHost + QStringLiteral("/fast/add?");
    const bool openDirectory = isEngine(engineName, kOpenDirectoryEngine);
    qsizetype anchor = modCommon::indexOfNoCase(page, u"<a href=");
    qsizetype closer = -1;   // the first "</a>" at or after the current anchor
    while (anchor >= 0) {
        const qsizetype start = anchor + 8;
        if (closer < start)
            closer = modCommon::indexOfNoCase(page, u"</a>", start);
        if (closer < 0)
            break;   // an anchor that never closes ends the page
        // An anchor left open ends where the next one begins: no text is read twice, so a page
        // of openers before a single "</a>" is read in one pass like any other.
        const qsizetype next = modCommon::indexOfNoCase(page, u"<a href=", start);
        const qsizetype end = next >= 0 && next < closer ? next : closer;
        const QString link = page.mid(start, end - start);

        if (containsNoCase(link, spaceIdMark)) {
            result.spaceId = spaceIdOfLink(link);
            result.hasSpaceId = true;
        }
        const qsizetype addLink = modCommon::indexOfNoCase(link, u">add URL");
        if (openDirectory && addLink >= 0) {
            const QString address = withoutQuotes(link.left(addLink));
            result.addURL = kOpenDirectoryHost + (address.startsWith(QLatin1Char('/')) ? QString() : QStringLiteral("/"))
                + address;
        }
        const qsizetype close = link.indexOf(QLatin1Char('>'));
        if (!containsNoCase(link, engineName) && !containsNoCase(link, QStringLiteral("http")) && close >= 0) {
            const QString text = anchorText(link.mid(close + 1));
            const QString href = withoutQuotes(link.left(close));
            if (!text.isEmpty() && (!openDirectory || containsNoCase(href, categoryKey)))
                result.rows.append({text, href});
        }
        anchor = next;
    }
    return result;
}

void showChoiceState(QLabel *label, const QString &caption, bool choosing)
{
    label->setText(caption);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText,
                     choosing ? QColor(Qt::blue) : QApplication::palette().color(QPalette::ButtonText));
    label->setPalette(palette);
}

} // namespace clsMainCustomCategory

using namespace clsMainCustomCategory;

bool clsMain::isUsedCustomEngineIndex(int index) const
{
    return index >= 0 && index < m_intNumOfCustEngines && index < myCustomEngine.size();
}

void clsMain::setCustomEngCategory(const QString &sEngineName)
{
    KeyedListView *list = m_frmMain->lsvCustomMainCategory;
    list->clear();
    const clsEngines *engine = myEngines().find(sEngineName);
    if (!engine)
        return;
    const TopCategories top = topCategories(engine->CategoryData);
    if (top.hasBaseAddress)
        frmMain::setControlTag(m_frmMain->cboCustomEngines, top.baseAddress);
    for (const CategoryRow &row : top.rows) {
        auto *item = new QTreeWidgetItem(list, {row.text});
        Platform::setItemTag(item, row.tag);
    }
}

void clsMain::setCustomEngineSubCategory(const QString &sFileData, const QString &sCategoryKey, QString &sAddURL)
{
    showChoiceState(m_frmMain->lblReadyToSubmit, QStringLiteral("Please continue to select"), true);
    const CategoryPage page = readCategoryPage(sFileData, m_frmMain->cboCustomEngines->currentText(), sCategoryKey);
    if (page.hasSpaceId && isUsedCustomEngineIndex(m_intCustomEngineIndex))
        myCustomEngine[m_intCustomEngineIndex].SpaceID = page.spaceId;
    if (!page.addURL.isEmpty())
        sAddURL = page.addURL;
    KeyedListView *list = m_frmMain->lsvCustomSubCategory;
    for (const CategoryRow &row : page.rows) {
        auto *item = new QTreeWidgetItem(list, {row.text});
        Platform::setItemTag(item, row.tag);
    }
}

QString clsMain::getSpaceID(const QString &sURL)
{
    return spaceIdOfLink(sURL);
}

void clsMain::getDmozID(const QString &sData)
{
    const QString id = categoryIdOfForm(sData);
    if (!id.isEmpty() && isUsedCustomEngineIndex(m_intCustomEngineIndex))
        myCustomEngine[m_intCustomEngineIndex].SpaceID = id;
    if (id.isEmpty())
        showChoiceState(m_frmMain->lblReadyToSubmit, QStringLiteral("No ready to submit, please continue to select"), true);
    else
        showChoiceState(m_frmMain->lblReadyToSubmit, QStringLiteral("Ready to submit"), false);
}
