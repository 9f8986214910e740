#include "mainwindow/SitePages.h"

#include "mainwindow/MainWindowDisabled.h"

#include <QAction>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolBar>
#include <QVBoxLayout>

#include "core/modCommon.h"
#include "core/modCommonHtml.h"
#include "mainwindow/CustomCategoryBrowser.h"
#include "mainwindow/ReportsList.h"
#include "mainwindow/UrlToolbar.h"
#include "mainwindow/frmMain.h"
#include "platform/CommonControls.h"
#include "platform/Dialogs.h"
#include "platform/EventLoop.h"
#include "platform/TextFile.h"
#include "platform/KeyedListView.h"
#include "platform/LongWordWrap.h"
#include "transport/frmHTTP.h"

namespace {

template <typename Widget>
Widget *named(Widget *widget, const char *name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QComboBox *anyTextCombo(QWidget *parent, const char *name)
{
    // Stored values that the list does not hold must still show and save back unchanged.
    auto *combo = named(new QComboBox(parent), name);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    return combo;
}

// A multi-line field: Tab moves on to the next field, as in the one-line fields, instead of typing
// a tab character that would be saved and submitted. A word wider than the box wraps anywhere.
QPlainTextEdit *multiLineBox(QWidget *parent, const char *name)
{
    auto *box = named(new QPlainTextEdit(parent), name);
    box->setTabChangesFocus(true);
    LongWordWrap::keepWrappingFast(box);
    return box;
}

// A one-line field: typing stops at the bound of what a fetch puts into any box.
QLineEdit *titleBox(QWidget *parent, const char *name)
{
    auto *box = named(new QLineEdit(parent), name);
    box->setMaxLength(SitePages::kMaxFetchedChars);
    return box;
}

} // namespace

SitePages::SitePages(QWidget *parent) : QTabWidget(parent)
{
    setObjectName(QStringLiteral("SSTab1"));
    addTab(buildSiteInfoTab(), QStringLiteral("Site Info"));
    addTab(buildSiteURLsTab(), QStringLiteral("Site URLs"));
    addTab(buildContactTab(), QStringLiteral("Contact Details"));
    addTab(buildCategoryTab(), QStringLiteral("Category"));
    reports = new ReportsList(this);
    addTab(reports, QStringLiteral("Reports"));
    urlCommands = new UrlToolbar(this);
    customCategories = new CustomCategoryBrowser(this);
    wireEvents();
}

void SitePages::clearURLDetails()
{
    txtURLTitle->clear();
    txtURLKeyword->clear();
    txtURLDescription->clear();
    txtURLFileLocation->clear();
    Label1[0]->setText(QStringLiteral("Title:"));
    Label1[2]->setText(QStringLiteral("Keywords:"));
    Label1[4]->setText(QStringLiteral("Description:"));
}

QWidget *SitePages::buildSiteInfoTab()
{
    auto *page = new QWidget(this);
    fraSiteDetails = named(new QGroupBox(QStringLiteral("Details of your web site"), page), "fraSiteInfo1");
    txtSiteTitle = titleBox(fraSiteDetails, "txtSiteTitle");
    txtSiteKeywords = multiLineBox(fraSiteDetails, "txtSiteKeywords");
    txtSiteDescription = multiLineBox(fraSiteDetails, "txtSiteDescription");
    cboWebType = anyTextCombo(fraSiteDetails, "cboWebType");
    cboLanguage = anyTextCombo(fraSiteDetails, "cboLanguage");
    cmdGetSiteInfo = named(new QPushButton(QStringLiteral("&Get Site Details"), fraSiteDetails), "cmdGetSiteInfo");

    auto *form = new QFormLayout(fraSiteDetails);
    form->addRow(QStringLiteral("Title:"), txtSiteTitle);
    form->addRow(QStringLiteral("Keywords:"), txtSiteKeywords);
    form->addRow(QStringLiteral("Description:"), txtSiteDescription);
    form->addRow(QStringLiteral("Web Type:"), cboWebType);
    form->addRow(QStringLiteral("Language:"), cboLanguage);
    form->addRow(QString(), cmdGetSiteInfo);

    auto *layout = new QVBoxLayout(page);
    layout->addWidget(fraSiteDetails);
    return page;
}

QWidget *SitePages::buildSiteURLsTab()
{
    auto *page = new QWidget(this);
    CoolBarSiteURL = named(new QWidget(page), "CoolBarSiteURL");
    ToolbarSiteURL = named(new QToolBar(CoolBarSiteURL), "ToolbarSiteURL");
    const struct { const char *key; const char *caption; const char *tip; } buttons[] = {
        {"AddURL", "Add", "Add a URL"},
        {"AddFromLocalFolder", "From Folder", "Add URLs from a local folder"},
        {"AddFromWeb", "From Web", "Add URLs from a web page"},
        {"LoadURL", "Load", "Load a URL list file"},
        {"SaveURL", "Save", "Save the URL list to a file"},
        {"DeleteURL", "Delete", "Delete the selected URLs"},
        {"GetMetaTag", "Meta Tags", "Read the meta tags of the page"},
        {"InsertMetaTag", "Insert", "Insert the meta tags into the local file"},
        {"ReplaceMetaTag", "Replace", "Replace the meta tags of the local file"},
        {"Optimizer", "Optimizer", "Optimizer report of the selected URL"},
    };
    for (const auto &button : buttons) {
        QAction *action = ToolbarSiteURL->addAction(QString::fromLatin1(button.caption));
        action->setObjectName(QString::fromLatin1(button.key));
        action->setData(QString::fromLatin1(button.key));
        action->setToolTip(QString::fromLatin1(button.tip));
        ToolbarSiteURLButtons.append(action);
    }
    auto *coolLayout = new QHBoxLayout(CoolBarSiteURL);
    coolLayout->setContentsMargins(0, 0, 0, 0);
    coolLayout->addWidget(ToolbarSiteURL);

    lsvSiteURLs = named(new KeyedListView(page), "lsvSiteURLs");
    lsvSiteURLs->setColumnCount(1);
    lsvSiteURLs->setHeaderLabels({QStringLiteral("Site URLs")});

    fraSiteURls = named(new QGroupBox(QStringLiteral("Meta Tag of your Web Page"), page), "fraSiteURls");
    txtURLFileLocation = named(new QLineEdit(fraSiteURls), "txtURLFileLocation");
    cmdFileLocation = named(new QPushButton(QStringLiteral("..."), fraSiteURls), "cmdFileLocation");
    txtURLTitle = titleBox(fraSiteURls, "txtURLTitle");
    txtURLKeyword = multiLineBox(fraSiteURls, "txtURLKeyword");
    txtURLDescription = multiLineBox(fraSiteURls, "txtURLDescription");
    lblMetaTag = named(new QLabel(fraSiteURls), "lblMetaTag");
    Label1.insert(0, named(new QLabel(QStringLiteral("Title:"), fraSiteURls), "Label1_0"));
    Label1.insert(2, named(new QLabel(QStringLiteral("Keywords:"), fraSiteURls), "Label1_2"));
    Label1.insert(4, named(new QLabel(QStringLiteral("Description:"), fraSiteURls), "Label1_4"));
    Label1.insert(6, named(new QLabel(QStringLiteral("Local File Location:"), fraSiteURls), "Label1_6"));

    // The labels get their character counts later: one fixed width, wide enough for the longest,
    // keeps the fields beside them from moving.
    const int labelWidth = Label1[4]->fontMetrics().horizontalAdvance(QStringLiteral("Description: (99999 chars)")) + 8;
    for (QLabel *label : std::as_const(Label1))
        label->setFixedWidth(labelWidth);

    auto *grid = new QGridLayout(fraSiteURls);
    grid->addWidget(Label1[6], 0, 0);
    auto *fileRow = new QHBoxLayout;
    fileRow->addWidget(txtURLFileLocation, 1);
    fileRow->addWidget(cmdFileLocation);
    grid->addLayout(fileRow, 0, 1);
    grid->addWidget(Label1[0], 1, 0);
    grid->addWidget(txtURLTitle, 1, 1);
    grid->addWidget(Label1[2], 2, 0);
    grid->addWidget(txtURLKeyword, 2, 1);
    grid->addWidget(Label1[4], 3, 0);
    grid->addWidget(txtURLDescription, 3, 1);
    grid->addWidget(lblMetaTag, 4, 0, 1, 2);

    auto *layout = new QVBoxLayout(page);
    layout->addWidget(CoolBarSiteURL);
    layout->addWidget(lsvSiteURLs, 1);
    layout->addWidget(fraSiteURls, 1);
    return page;
}

QWidget *SitePages::buildContactTab()
{
    auto *page = new QWidget(this);
    fraContactInfo = named(new QGroupBox(QStringLiteral("Contact Details"), page), "fraContactInfo");
    txtName = named(new QLineEdit(fraContactInfo), "txtName");
    txtEmail = named(new QLineEdit(fraContactInfo), "txtEmail");
    txtCompany = named(new QLineEdit(fraContactInfo), "txtCompany");
    txtAddress = named(new QLineEdit(fraContactInfo), "txtAddress");
    txtCity = named(new QLineEdit(fraContactInfo), "txtCity");
    txtState = named(new QLineEdit(fraContactInfo), "txtState");
    txtPostcode = named(new QLineEdit(fraContactInfo), "txtPostcode");
    cboCountry = anyTextCombo(fraContactInfo, "cboCountry");
    txtPhone = named(new QLineEdit(fraContactInfo), "txtPhone");
    txtFax = named(new QLineEdit(fraContactInfo), "txtFax");
    txtPassword = named(new QLineEdit(fraContactInfo), "txtPassword");

    auto *form = new QFormLayout(fraContactInfo);
    form->addRow(QStringLiteral("Name:"), txtName);
    form->addRow(QStringLiteral("E-mail:"), txtEmail);
    form->addRow(QStringLiteral("Company:"), txtCompany);
    form->addRow(QStringLiteral("Address:"), txtAddress);
    form->addRow(QStringLiteral("City:"), txtCity);
    form->addRow(QStringLiteral("State:"), txtState);
    form->addRow(QStringLiteral("Postcode:"), txtPostcode);
    form->addRow(QStringLiteral("Country:"), cboCountry);
    form->addRow(QStringLiteral("Phone:"), txtPhone);
    form->addRow(QStringLiteral("Fax:"), txtFax);
    form->addRow(QStringLiteral("Password:"), txtPassword);

    auto *layout = new QVBoxLayout(page);
    layout->addWidget(fraContactInfo);
    layout->addStretch(1);
    return page;
}

QWidget *SitePages::buildCategoryTab()
{
    auto *page = new QWidget(this);
    tabCategory = named(new QTabWidget(page), "tabCategory");

    auto *defaultTab = new QWidget(tabCategory);
    lblCategory.insert(0, named(new QLabel(QStringLiteral("Main Category:"), defaultTab), "lblCategory_0"));
    lblCategory.insert(1, named(new QLabel(QStringLiteral("Sub-Category:"), defaultTab), "lblCategory_1"));
    lstMainCategory = named(new QListWidget(defaultTab), "lstMainCategory");
    lstCategory = named(new QListWidget(defaultTab), "lstCategory");
    lstCategory->setSelectionMode(QAbstractItemView::ExtendedSelection);
    auto *defaultGrid = new QGridLayout(defaultTab);
    defaultGrid->addWidget(lblCategory[0], 0, 0);
    defaultGrid->addWidget(lblCategory[1], 0, 1);
    defaultGrid->addWidget(lstMainCategory, 1, 0);
    defaultGrid->addWidget(lstCategory, 1, 1);
    tabCategory->addTab(defaultTab, QStringLiteral(" Default Category"));

    auto *customTab = new QWidget(tabCategory);
    cboCustomEngines = named(new QComboBox(customTab), "cboCustomEngines");
    txtCustomCategory = named(new QLineEdit(customTab), "txtCustomCategory");
    lsvCustomMainCategory = named(new KeyedListView(customTab), "lsvCustomMainCategory");
    lsvCustomMainCategory->setSelectionMode(QAbstractItemView::SingleSelection);
    lsvCustomMainCategory->setHeaderLabels({QStringLiteral("Main Category")});
    lsvCustomSubCategory = named(new KeyedListView(customTab), "lsvCustomSubCategory");
    lsvCustomSubCategory->setSelectionMode(QAbstractItemView::SingleSelection);
    lsvCustomSubCategory->setHeaderLabels({QStringLiteral("Sub-Category")});
    lblReadyToSubmit = named(new QLabel(customTab), "lblReadyToSubmit");
    auto *customGrid = new QGridLayout(customTab);
    customGrid->addWidget(new QLabel(QStringLiteral("Engine:"), customTab), 0, 0);
    customGrid->addWidget(cboCustomEngines, 0, 1);
    customGrid->addWidget(new QLabel(QStringLiteral("Category:"), customTab), 1, 0);
    customGrid->addWidget(txtCustomCategory, 1, 1);
    auto *lists = new QHBoxLayout;
    lists->addWidget(lsvCustomMainCategory);
    lists->addWidget(lsvCustomSubCategory);
    customGrid->addLayout(lists, 2, 0, 1, 2);
    customGrid->addWidget(lblReadyToSubmit, 3, 0, 1, 2);
    customGrid->setRowStretch(2, 1);
    customGrid->setColumnStretch(1, 1);
    tabCategory->addTab(customTab, QStringLiteral("&Customized Category"));

    auto *layout = new QVBoxLayout(page);
    layout->addWidget(tabCategory);
    return page;
}

void SitePages::wireEvents()
{
    connect(cmdGetSiteInfo, &QPushButton::clicked, this, [this] { cmdGetSiteInfo_Click(); });
    connect(cmdFileLocation, &QPushButton::clicked, this, [this] { cmdFileLocation_Click(); });
    frmHTTP::setReceiver(kRequestKind, this,
                         {[this](const QString &page, int) { SetSiteInfo(page); }, clearStatusText});
}

void SitePages::setStatusText(const QString &text)
{
    if (frmMain *main = frmMain::existing())
        main->StatusBar1->setPanelText(1, text);
}

void SitePages::clearStatusText()
{
    setStatusText(QString());
}

QString SitePages::currentSiteIdentity()
{
    const frmMain *main = frmMain::existing();
    if (!main)
        return QString();
    const QString nodeKey = main->m_currentNode ? Platform::itemKey(main->m_currentNode) : QString();
    return nodeKey + QLatin1Char('|') + main->m_sSiteFile;
}

void SitePages::cmdGetSiteInfo_Click()
{
    const QString prompt = QStringLiteral("Get site Title, Keywords and Description from your web site.\r\n\r\n")
        + QStringLiteral("Please enter your web site URL and click on the 'OK' button:");
    QString url = Platform::inputBox(prompt, QStringLiteral("Get Site Details"), m_sSiteInfoURL);
    if (url.isEmpty())
        return;
    if (url.left(4).compare(QLatin1String("http"), Qt::CaseInsensitive) != 0)
        url.prepend(QStringLiteral("http://"));
    m_sSiteInfoURL = url;
    Platform::setBusyPointer(true);
    setStatusText(QStringLiteral("Connecting to ") + url + QStringLiteral(" ..."));
    m_sSiteInfoRequestSite = currentSiteIdentity();
    frmHTTP *fetch = frmHTTP::instance();
    fetch->Tag = kRequestKind;
    fetch->Connect(url);
}

void SitePages::SetSiteInfo(const QString &sFileData)
{
    setStatusText(QString());
    // The user moved to another site while the page was on its way: it is not that site's.
    if (m_sSiteInfoRequestSite != currentSiteIdentity()) {
        Platform::setBusyPointer(false);
        return;
    }
    if (!sFileData.isEmpty())
        showMetaTags(sFileData, txtSiteTitle, txtSiteKeywords, txtSiteDescription);
    Platform::setBusyPointer(false);
}

void SitePages::showMetaTags(const QString &page, QLineEdit *title, QPlainTextEdit *keywords,
                             QPlainTextEdit *description)
{
    const modCommon::ShownMetaTags shown = modCommon::shownMetaTags(page);
    title->setText(shown.title);
    modCommon::setMultiLineText(keywords, shown.keywords);
    modCommon::setMultiLineText(description, shown.description);
}

void SitePages::cmdFileLocation_Click()
{
    const MainWindowDisabled busy(true);
    int filterIndex = 1;
    const QString file = modCommon::showFileDialog(
        false, QStringLiteral("HTML files (*.htm;*.html)|*.htm;*.html|Text files (*.txt)|*.txt|All Files (*.*)|*.*|"),
        QString(), filterIndex);
    if (file.isEmpty() || !Platform::fileExists(file))
        return;
    txtURLFileLocation->setText(file);
    QTreeWidgetItem *row = lsvSiteURLs->currentItem();
    if (lsvSiteURLs->topLevelItemCount() > 0 && row && row->isSelected())
        Platform::setItemTag(row, file);
}
