#include "mainwindow/UrlToolbar.h"

#include "mainwindow/MainWindowDisabled.h"

#include <QAction>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QToolBar>

#include "core/modCommon.h"
#include "core/modCommonHtml.h"
#include "mainwindow/SitePages.h"
#include "mainwindow/frmMain.h"
#include "pagetools/frmOptimizer.h"
#include "platform/CommonControls.h"
#include "platform/Dialogs.h"
#include "platform/EventLoop.h"
#include "platform/TextFile.h"
#include "platform/KeyedListView.h"
#include "sitedata/clsMain.h"
#include "sitedata/frmAddURL.h"
#include "sitedata/frmAddURLFromWeb.h"
#include "transport/frmHTTP.h"

namespace {

const QString kUrlListFilter = QStringLiteral("Text files (*.txt)|*.txt|All Files (*.*)|*.*|");
constexpr int kDeleteKey = 46;

QString charCount(const QString &label, const QString &text)
{
    return label + QStringLiteral(" (") + QString::number(text.size()) + QStringLiteral(" chars)");
}

} // namespace

UrlToolbar::UrlToolbar(SitePages *pages) : QObject(pages), m_pages(pages), m_list(pages->lsvSiteURLs)
{
    KeyedListView *list = m_list;
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    Platform::sortOnHeaderClick(list);
    list->installEventFilter(this);
    connect(list, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem *item) { lsvSiteURLs_ItemClick(item); });
    connect(m_pages->ToolbarSiteURL, &QToolBar::actionTriggered, this,
            [this](QAction *action) { ToolbarSiteURL_ButtonClick(action->data().toString()); });
    frmHTTP::setReceiver(kRequestKind, this,
                         {[this](const QString &page, int) { getMetaTag(page); }, SitePages::clearStatusText});
}

bool UrlToolbar::eventFilter(QObject *watched, QEvent *event)
{
    // Only key presses are looked at: the filter also sees the list's events while the pages
    // are being destroyed.
    if (event->type() == QEvent::KeyPress && watched == m_list
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Delete) {
        lsvSiteURLs_KeyDown(kDeleteKey);
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void UrlToolbar::lsvSiteURLs_KeyDown(int keyCode)
{
    if (keyCode == kDeleteKey)
        DeleteURL();
}

void UrlToolbar::lsvSiteURLs_ItemClick(QTreeWidgetItem *item)
{
    if (!item)
        return;
    // A clicked row can be renamed in place; its key stays as it was.
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    const QString file = Platform::itemTag(item);
    if (!file.isEmpty() && Platform::fileExists(file)) {
        m_pages->txtURLFileLocation->setText(file);
        const QString head = modCommon::readHTMLFile(file, modCommon::HeadPart);
        if (!head.isEmpty())
            getMetaTag(head);
        return;
    }
    m_pages->txtURLFileLocation->clear();
    m_pages->txtURLTitle->clear();
    m_pages->txtURLKeyword->clear();
    m_pages->txtURLDescription->clear();
}

QString UrlToolbar::getFirstSelectedItem() const
{
    for (QTreeWidgetItem *row : m_pages->lsvSiteURLs->rows()) {
        if (row->isSelected())
            return row->text(0);
    }
    return QString();
}

void UrlToolbar::getMetaTag(const QString &sFileData)
{
    SitePages::setStatusText(QString());
    if (!sFileData.isEmpty())
        SitePages::showMetaTags(sFileData, m_pages->txtURLTitle, m_pages->txtURLKeyword, m_pages->txtURLDescription);
    m_pages->Label1[0]->setText(charCount(QStringLiteral("Title:"), m_pages->txtURLTitle->text()));
    m_pages->Label1[2]->setText(charCount(QStringLiteral("Keywords:"), modCommon::multiLineText(m_pages->txtURLKeyword)));
    m_pages->Label1[4]->setText(
        charCount(QStringLiteral("Description:"), modCommon::multiLineText(m_pages->txtURLDescription)));
}

void UrlToolbar::DeleteURL()
{
    if (Platform::msgBox(QStringLiteral("Are you sure you want to delete the selected URL?"),
                         Platform::YesNo | Platform::Information, QStringLiteral("Delete URL"))
        != Platform::Yes)
        return;
    KeyedListView *list = m_pages->lsvSiteURLs;
    const Platform::RedrawSuspender suspend(list);
    int i = 0;
    while (i < list->topLevelItemCount()) {
        if (list->topLevelItem(i)->isSelected())
            delete list->takeTopLevelItem(i);
        else
            ++i;
    }
}

void UrlToolbar::ToolbarSiteURL_ButtonClick(const QString &key)
{
    auto is = [&key](const char *name) { return key.compare(QLatin1String(name), Qt::CaseInsensitive) == 0; };
    if (is("AddURL"))
        addURL();
    else if (is("AddFromLocalFolder"))
        addFromLocalFolder();
    else if (is("AddFromWeb"))
        addFromWeb();
    else if (is("LoadURL") || is("LocalURL"))
        loadURLList();
    else if (is("SaveURL"))
        saveURLList();
    else if (is("DeleteURL"))
        DeleteURL();
    else if (is("GetMetaTag"))
        getMetaTagCommand();
    else if (is("InsertMetaTag"))
        editMetaTags(false);
    else if (is("ReplaceMetaTag"))
        editMetaTags(true);
    else if (is("Optimizer"))
        optimizer();
}

void UrlToolbar::addURL()
{
    const QString url = Platform::inputBox(QStringLiteral("Please enter the URL you want to add:"),
                                           QStringLiteral("Insert URL"), QStringLiteral("http://www."));
    if (url.isEmpty())
        return;
    if (clsMain *main = theMain())
        main->addNewItem(m_pages->lsvSiteURLs, url);
    else
        m_pages->lsvSiteURLs->addRow(url, {url}, QStringLiteral("HTMLFile"));
}

void UrlToolbar::addFromLocalFolder()
{
    frmAddURL dialog(m_pages->lsvSiteURLs, m_pages->window());
    dialog.exec();
}

void UrlToolbar::addFromWeb()
{
    frmAddURLFromWeb dialog(m_pages->lsvSiteURLs, m_pages->window());
    const QString selected = getFirstSelectedItem();
    if (!selected.isEmpty())
        dialog.txtWebURL->setText(selected);
    dialog.exec();
}

void UrlToolbar::loadURLList()
{
    const MainWindowDisabled disabled;
    int filterIndex = 1;
    const QString file = modCommon::showFileDialog(false, kUrlListFilter, QString(), filterIndex);
    if (file.isEmpty() || !Platform::fileExists(file))
        return;
    if (clsMain *main = theMain())
        main->loadURLFromFile(file);
}

void UrlToolbar::saveURLList()
{
    const MainWindowDisabled disabled;
    int filterIndex = 1;
    QString file = modCommon::showFileDialog(true, kUrlListFilter, QString(), filterIndex);
    if (file.isEmpty())
        return;
    if (filterIndex == 1 && !file.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive))
        file += QStringLiteral(".txt");
    if (Platform::fileExists(file)
        && Platform::msgBox(QStringLiteral("The file ") + file + QStringLiteral(" already exists, do you want to replace it?"),
                            Platform::YesNo | Platform::Information, QStringLiteral("Save URL"))
               != Platform::Yes)
        return;
    if (clsMain *main = theMain())
        main->saveURLToFile(file);
}

void UrlToolbar::getMetaTagCommand()
{
    const QString url = getFirstSelectedItem();
    if (!url.isEmpty()) {
        SitePages::setStatusText(QStringLiteral("Connecting to ") + url + QStringLiteral(" ..."));
        Platform::setBusyPointer(true);
        frmHTTP *fetch = frmHTTP::instance();
        fetch->Tag = kRequestKind;
        fetch->Connect(url);
        return;
    }
    const QString file = m_pages->txtURLFileLocation->text();
    if (!file.isEmpty())
        getMetaTag(modCommon::readHTMLFile(file, modCommon::HeadPart));
}

void UrlToolbar::editMetaTags(bool replace)
{
    const QString title = replace ? QStringLiteral("Replace Meta Tag") : QStringLiteral("Insert Meta Tag");
    const QString file = m_pages->txtURLFileLocation->text();
    if (file.isEmpty() || !Platform::fileExists(file)) {
        const QString box = replace ? QStringLiteral("'Local File'") : QStringLiteral("'Local File Location'");
        Platform::msgBox(QStringLiteral("Invalid path or file name for your local HTML file. Please enter a valid ")
                             + QStringLiteral("local HTML file in the ") + box + QStringLiteral(" box and try again."),
                         Platform::Information, title);
        Platform::setBusyPointer(false);
        return;
    }
    const QString question = replace
        ? QStringLiteral("This will replace the existing 'title', 'Keywords' and 'description' Meta Tag of your HTML ")
              + QStringLiteral("file with the new meta tag.\r\n\r\n")
              + QStringLiteral("Are you sure you want to repalce the existing Meta tag in your HTML file?")
        : QStringLiteral("This will insert the 'title', 'Keywords' and 'description' Meta Tag to your local HTML file.")
              + QStringLiteral("\r\n\r\n") + QStringLiteral("Are you sure you want to insert the Meta tags into your HTML file?");
    if (Platform::msgBox(question, Platform::YesNo | Platform::Information, title) == Platform::Yes) {
        const QString pageTitle = m_pages->txtURLTitle->text();
        const QString keywords = modCommon::multiLineText(m_pages->txtURLKeyword);
        const QString description = modCommon::multiLineText(m_pages->txtURLDescription);
        if (replace)
            modCommon::replaceMetaTag(file, pageTitle, keywords, description);
        else
            modCommon::insertMetaTag(file, pageTitle, keywords, description);
    }
    Platform::setBusyPointer(false);
}

void UrlToolbar::optimizer()
{
    const QString url = getFirstSelectedItem();
    if (url.isEmpty() || !url.contains(QLatin1Char('.'))) {
        Platform::msgBox(QStringLiteral("Please select a web site URL."), Platform::Information, QStringLiteral("Optimizer"));
        return;
    }
    Platform::setBusyPointer(true);
    SitePages::setStatusText(QStringLiteral("Connecting to ") + url + QStringLiteral(" ..."));
    // The optimizer window is loaded without being shown; it reports on the page it receives,
    // under the address it is given here.
    frmMain::optimizerWindow()->cboSiteURL->setEditText(url);
    frmHTTP *fetch = frmHTTP::instance();
    fetch->Tag = frmOptimizer::kRequestKind;
    fetch->Connect(url);
}
