#include "mainwindow/CustomCategoryBrowser.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

#include "mainwindow/SitePages.h"
#include "mainwindow/frmMain.h"
#include "platform/CommonControls.h"
#include "platform/EventLoop.h"
#include "platform/KeyedListView.h"
#include "sitedata/clsMain.h"
#include "sitedata/clsMainCustomCategory.h"
#include "transport/frmHTTP.h"
#include "transport/modDSSockUrl.h"

namespace {

const QString kGoUpText = QStringLiteral("<< ...");

QString withSlash(const QString &text)
{
    return text.endsWith(QLatin1Char('/')) ? text : text + QLatin1Char('/');
}

} // namespace

CustomCategoryBrowser::CustomCategoryBrowser(SitePages *pages) : QObject(pages), m_pages(pages)
{
    connect(m_pages->cboCustomEngines, &QComboBox::activated, this, [this] { cboCustomEngines_Click(); });
    connect(m_pages->lsvCustomMainCategory, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem *item) { lsvCustomMainCategory_ItemClick(item); });
    connect(m_pages->lsvCustomMainCategory, &QTreeWidget::itemDoubleClicked, this,
            [this] { lsvCustomMainCategory_DblClick(); });
    connect(m_pages->lsvCustomSubCategory, &QTreeWidget::itemDoubleClicked, this,
            [this] { lsvCustomSubCategory_DblClick(); });
    frmHTTP::setReceiver(kRequestKind, this,
                         {[this](const QString &page, int) { getCustomCateogry(page); }, SitePages::clearStatusText});
}

QString CustomCategoryBrowser::getString(const QString &sURL, const QString &sType)
{
    QString text = sURL;
    if (text.endsWith(QLatin1Char('/')))
        text.chop(1);
    const qsizetype slash = text.lastIndexOf(QLatin1Char('/'));
    if (sType.compare(QLatin1String("Up"), Qt::CaseInsensitive) == 0)
        return slash < 0 ? QString() : text.left(slash);
    return slash < 0 ? text : text.mid(slash + 1);
}

void CustomCategoryBrowser::cboCustomEngines_Click()
{
    QComboBox *engines = m_pages->cboCustomEngines;
    clsMain *main = theMain();
    if (engines->count() == 0 || engines->currentText().isEmpty() || !main)
        return;
    m_pages->lsvCustomSubCategory->clear();
    clsMainCustomCategory::showChoiceState(m_pages->lblReadyToSubmit, QStringLiteral("Please select a category ..."), true);
    main->setCustomEngCategory(engines->currentText());
    main->setCustomEngineIndex(engines->currentIndex());
    // The path chosen for this engine so far, also one not saved yet.
    const int index = engines->currentIndex();
    m_pages->txtCustomCategory->setText(main->isUsedCustomEngineIndex(index) ? main->myCustomEngine[index].Category
                                                                               : QString());
}

void CustomCategoryBrowser::lsvCustomMainCategory_ItemClick(QTreeWidgetItem *item)
{
    if (!item)
        return;
    m_sCategoryTag = Platform::itemTag(item);
    m_pages->txtCustomCategory->setText(item->text(0));
}

void CustomCategoryBrowser::lsvCustomMainCategory_DblClick()
{
    QTreeWidgetItem *row = m_pages->lsvCustomMainCategory->currentItem();
    if (!row)
        return;
    m_intAddURLPage = false;
    if (!m_sCategoryTag.endsWith(QLatin1Char('/')))
        Platform::setItemTag(row, m_sCategoryTag + QLatin1Char('/'));
    retrieveSubCategory(row);
}

void CustomCategoryBrowser::lsvCustomSubCategory_DblClick()
{
    QTreeWidgetItem *row = m_pages->lsvCustomSubCategory->currentItem();
    if (!row)
        return;
    m_intAddURLPage = false;
    QLineEdit *path = m_pages->txtCustomCategory;
    QComboBox *engines = m_pages->cboCustomEngines;
    if (row->text(0).contains(QStringLiteral("<<"))) {
        // Above the directory's host there is nothing to go up to.
        const QString current = frmMain::controlTag(engines);
        if (modDSSock::getURLPath(current).isEmpty())
            return;
        const QString parentPath = getString(frmMain::controlTag(path), QStringLiteral("Up"));
        frmMain::setControlTag(path, parentPath);
        path->setText(parentPath);
        m_sCategoryTag = Platform::itemTag(row);
        SitePages::setStatusText(Platform::itemTag(row));
        const QString address = getString(current, QStringLiteral("Up")) + QLatin1Char('/');
        frmMain::setControlTag(engines, address);
        resetSubCategoryList(address);
        fetch(address, QStringLiteral(" ...."));
        return;
    }
    m_sCategoryTag = Platform::itemTag(row);
    QString name = row->text(0);
    name.remove(QLatin1Char('@'));
    path->setText(withSlash(frmMain::controlTag(path)) + name);
    SitePages::setStatusText(Platform::itemTag(row));
    if (clsMain *main = theMain())
        main->saveCustomCategory(path->text());
    retrieveSubCategory(row);
}

void CustomCategoryBrowser::resetSubCategoryList(const QString &address)
{
    KeyedListView *list = m_pages->lsvCustomSubCategory;
    list->clear();
    auto *up = new QTreeWidgetItem(list, {kGoUpText});
    Platform::setItemTag(up, getString(address, QStringLiteral("Last")) + QLatin1Char('/'));
}

void CustomCategoryBrowser::retrieveSubCategory(QTreeWidgetItem *mySelectedItem)
{
    if (!mySelectedItem)
        return;
    // The row may be one of the list emptied below.
    const QString tag = Platform::itemTag(mySelectedItem);
    QComboBox *engines = m_pages->cboCustomEngines;
    QString address = withSlash(frmMain::controlTag(engines));
    resetSubCategoryList(address);
    if (tag.startsWith(QLatin1Char('/'))) {
        address = QStringLiteral("http://") + modDSSock::getHostName(address) + tag;
        if (clsMainCustomCategory::isEngine(engines->currentText(), clsMainCustomCategory::kUnderscoreEngine)) {
            QString shown = tag;
            shown.replace(QLatin1Char('_'), QLatin1Char(' '));
            m_pages->txtCustomCategory->setText(shown.mid(1));
        }
    } else {
        address += tag;
    }
    frmMain::setControlTag(m_pages->txtCustomCategory, m_pages->txtCustomCategory->text());
    frmMain::setControlTag(engines, address);
    fetch(address, QStringLiteral(" ...."));
}

void CustomCategoryBrowser::fetch(const QString &address, const QString &statusTail)
{
    SitePages::setStatusText(QStringLiteral("Connecting to : ") + address + statusTail);
    Platform::setBusyPointer(true);
    clsMain *main = theMain();
    m_requestEngineIndex = main ? main->CustomEngineIndex() : -1;
    m_requestSite = SitePages::currentSiteIdentity();
    frmHTTP *page = frmHTTP::instance();
    page->Tag = kRequestKind;
    page->Connect(address);
}

bool CustomCategoryBrowser::isCurrentRequest() const
{
    clsMain *main = theMain();
    return main && main->CustomEngineIndex() == m_requestEngineIndex
        && SitePages::currentSiteIdentity() == m_requestSite;
}

void CustomCategoryBrowser::getCustomCateogry(const QString &sFileData)
{
    SitePages::setStatusText(QString());
    // A page asked for another engine or another site does not belong in these lists.
    if (!isCurrentRequest())
        return;
    clsMain *main = theMain();
    if (m_intAddURLPage) {
        main->getDmozID(sFileData);
        return;
    }
    QString addURL;
    main->setCustomEngineSubCategory(sFileData, m_sCategoryTag, addURL);
    if (!addURL.contains(clsMainCustomCategory::kOpenDirectoryHost, Qt::CaseInsensitive))
        return;
    m_intAddURLPage = true;
    // The form is fetched once the page fetch has finished handing over this page.
    QTimer::singleShot(0, this, [this, addURL] { fetch(addURL, QStringLiteral(" ...")); });
}
