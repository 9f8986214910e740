#include "sitedata/frmAddURLFromWeb.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>

#include "core/modCommon.h"
#include "core/modCommonHtml.h"
#include "mainwindow/frmMain.h"
#include "platform/CommonControls.h"
#include "platform/Dialogs.h"
#include "platform/EventLoop.h"
#include "platform/KeyedListView.h"
#include "transport/frmHTTP.h"
#include "transport/modDSSockSocket.h"
#include "transport/modDSSockUrl.h"

namespace {

const QString kTitle = QStringLiteral("Add URL from Web");

QPointer<frmAddURLFromWeb> &openDialog()
{
    static QPointer<frmAddURLFromWeb> dialog;
    return dialog;
}

// The link up to its first blank, CR or LF, without the quotation marks around it.
QString cleanLink(QString link)
{
    link = link.trimmed();
    if (link.startsWith(QLatin1Char('"')))
        link.remove(0, 1);
    for (QChar end : {QChar(u' '), QChar(u'\r'), QChar(u'\n')}) {
        const qsizetype cut = link.indexOf(end);
        if (cut >= 0)
            link = link.left(cut).trimmed();
    }
    if (link.endsWith(QLatin1Char('"')) || link.endsWith(QLatin1Char('\'')))
        link = link.chopped(1).trimmed();
    return link;
}

QString withoutScheme(const QString &url)
{
    const qsizetype scheme = url.indexOf(QStringLiteral("://"));
    return scheme < 0 ? url : url.mid(scheme + 3);
}

// The page address without query or fragment: links never resolve through them.
QString pageBase(const QString &pageURL)
{
    const qsizetype cut = pageURL.indexOf(QRegularExpression(QStringLiteral("[?#]")));
    return cut < 0 ? pageURL : pageURL.left(cut);
}

// The path with its "." and ".." segments worked out (the path starts with "/").
QString withoutDotSegments(const QString &path)
{
    const QStringList segments = path.split(QLatin1Char('/'));
    QStringList kept;
    for (qsizetype i = 1; i < segments.size(); ++i) {
        const QString &segment = segments.at(i);
        const bool last = i == segments.size() - 1;
        if (segment == QLatin1String("..") && !kept.isEmpty())
            kept.removeLast();
        if (segment != QLatin1String("..") && segment != QLatin1String("."))
            kept.append(segment);
        else if (last)
            kept.append(QString());
    }
    return QLatin1Char('/') + kept.join(QLatin1Char('/'));
}

// A relative link joined to the page's folder as text, so that the link keeps every escape and
// character the page wrote; the link as it is when the page has no host.
QString joinedLink(const QString &base, const QString &link)
{
    const qsizetype hostStart = base.indexOf(QStringLiteral("//")) + 2;
    const qsizetype pathStart = base.indexOf(QLatin1Char('/'), hostStart);
    const QString origin = pathStart < 0 ? base : base.left(pathStart);
    if (origin.size() <= hostStart)
        return link;
    if (link.startsWith(QStringLiteral("//")))
        return QStringLiteral("http:") + link;
    const QString pagePath = pathStart < 0 ? QStringLiteral("/") : base.mid(pathStart);
    const qsizetype tail = link.indexOf(QRegularExpression(QStringLiteral("[?#]")));
    const QString linkPath = tail < 0 ? link : link.left(tail);
    const QString rest = tail < 0 ? QString() : link.mid(tail);
    QString path = pagePath;
    if (linkPath.startsWith(QLatin1Char('/')))
        path = linkPath;
    else if (!linkPath.isEmpty())
        path = pagePath.left(pagePath.lastIndexOf(QLatin1Char('/')) + 1) + linkPath;
    return origin + withoutDotSegments(path) + rest;
}

} // namespace

frmAddURLFromWeb::frmAddURLFromWeb(KeyedListView *urlList, QWidget *parent) : QDialog(parent), m_urlList(urlList)
{
    if (!m_urlList) {
        if (frmMain *main = frmMain::existing())
            m_urlList = main->lsvSiteURLs;
    }
    setObjectName(QStringLiteral("frmAddURLFromWeb"));
    setWindowTitle(kTitle);
    setModal(true);

    txtWebURL = new QLineEdit(this);
    txtWebURL->setObjectName(QStringLiteral("txtWebURL"));
    txtKeyword = new QLineEdit(this);
    txtKeyword->setObjectName(QStringLiteral("txtKeyword"));
    lstKeywords = new QListWidget(this);
    lstKeywords->setObjectName(QStringLiteral("lstKeywords"));
    lstKeywords->setSelectionMode(QAbstractItemView::ExtendedSelection);
    const QStringList captions = {QStringLiteral("&Add"), QStringLiteral("&Remove"), QStringLiteral("&Get"),
                                  QStringLiteral("&Cancel")};
    for (int i = 0; i < captions.size(); ++i) {
        auto *button = new QPushButton(captions[i], this);
        button->setObjectName(QStringLiteral("Command1_") + QString::number(i));
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
        Command1.append(button);
    }
    StatusBar1 = new Platform::StatusBar(1, this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);

    auto *grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Website URL:"), this), 0, 0);
    grid->addWidget(txtWebURL, 0, 1);
    grid->addWidget(Command1[GetButton], 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("Do not add URL which contains the keywords below:"), this), 1, 0, 1, 3);
    grid->addWidget(txtKeyword, 2, 0, 1, 2);
    grid->addWidget(Command1[AddButton], 2, 2);
    grid->addWidget(lstKeywords, 3, 0, 2, 2);
    grid->addWidget(Command1[RemoveButton], 3, 2, Qt::AlignTop);
    grid->addWidget(Command1[CancelButton], 4, 2, Qt::AlignBottom);
    grid->addWidget(StatusBar1, 5, 0, 1, 3);
    // Tab goes through the controls as they stand, row by row.
    const QList<QWidget *> tabOrder = {txtWebURL, Command1[GetButton], txtKeyword, Command1[AddButton],
                                       lstKeywords, Command1[RemoveButton], Command1[CancelButton]};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);

    connect(txtKeyword, &QLineEdit::returnPressed, this, [this] { Command1_Click(AddButton); });
    connect(txtWebURL, &QLineEdit::returnPressed, this, [this] { Command1_Click(GetButton); });

    openDialog() = this;
    Form_Load();
}

frmAddURLFromWeb::~frmAddURLFromWeb()
{
    cancelFetch();
}

frmAddURLFromWeb *frmAddURLFromWeb::loadedInstance()
{
    return openDialog();
}

void frmAddURLFromWeb::Form_Load()
{
    modCommon::centerForm(this);
    txtWebURL->setText(QStringLiteral("www."));
}

void frmAddURLFromWeb::Command1_Click(int index)
{
    switch (index) {
    case AddButton: addFilter(); break;
    case RemoveButton: removeFilters(); break;
    case GetButton: startFetch(); break;
    case CancelButton: reject(); break;
    default: break;
    }
}

void frmAddURLFromWeb::addFilter()
{
    if (txtKeyword->text().isEmpty()) {
        Platform::msgBox(QStringLiteral("Please enter a Filter string you want to add."), Platform::Information, kTitle);
        txtKeyword->setFocus();
        return;
    }
    lstKeywords->addItem(txtKeyword->text());
}

void frmAddURLFromWeb::removeFilters()
{
    for (QListWidgetItem *item : lstKeywords->selectedItems())
        delete item;
}

void frmAddURLFromWeb::startFetch()
{
    m_sPageURL = withoutScheme(txtWebURL->text());
    StatusBar1->setPanelText(1, QStringLiteral("Connecting to : ") + m_sPageURL);
    Platform::setBusyPointer(true);

    frmHTTP::PageReceiver receiver;
    receiver.pageArrived = [this](const QString &page, int) {
        // A page of a fetch the user has cancelled is not wanted any more.
        if (!m_bFetching)
            return;
        // Links are relative to where the page was found, after any redirect.
        if (const frmHTTP *fetch = frmHTTP::loadedInstance())
            m_sPageURL = withoutScheme(fetch->currentURL());
        getURL(page);
    };
    receiver.connectFailed = [this] {
        m_bFetching = false;
        StatusBar1->setPanelText(1, QString());
    };
    frmHTTP::setReceiver(kRequestKind, this, receiver);
    m_bFetching = true;
    frmHTTP *fetch = frmHTTP::instance();
    fetch->Tag = kRequestKind;
    fetch->Connect(m_sPageURL);
}

void frmAddURLFromWeb::cancelFetch()
{
    if (!m_bFetching)
        return;
    m_bFetching = false;
    frmHTTP *fetch = frmHTTP::loadedInstance();
    if (fetch && fetch->Tag.compare(kRequestKind, Qt::CaseInsensitive) == 0)
        modDSSock::SocketDisconnect(fetch->dsSocket2);
    Platform::setBusyPointer(false);
}

void frmAddURLFromWeb::done(int result)
{
    cancelFetch();
    QDialog::done(result);
}

bool frmAddURLFromWeb::isFiltered(const QString &url) const
{
    for (int i = 0; i < lstKeywords->count(); ++i) {
        const QString filter = lstKeywords->item(i)->text();
        if (!filter.isEmpty() && url.contains(filter, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

void frmAddURLFromWeb::getURL(const QString &sNewData)
{
    m_bFetching = false;
    StatusBar1->setPanelText(1, QStringLiteral("Resolving data ......"));
    Platform::setBusyPointer(true);
    for (const QString &raw : pageLinks(sNewData)) {
        if (raw.isEmpty() || raw.contains(QStringLiteral("mailto:"), Qt::CaseInsensitive)
            || hasOtherScheme(cleanLink(raw)))
            continue;
        const QString url = getFullURL(raw);
        if (url.isEmpty() || isFiltered(url) || !m_urlList)
            continue;
        // A URL already listed keeps its row.
        m_urlList->addRow(url, {url}, QStringLiteral("HTMLFile"));
    }
    StatusBar1->setPanelText(1, QStringLiteral("Done"));
    Platform::setBusyPointer(false);
    accept();
}

QString frmAddURLFromWeb::getFullURL(const QString &sNewURL) const
{
    return getFullURL(m_sPageURL, sNewURL);
}

QString frmAddURLFromWeb::getFullURL(const QString &pageURL, const QString &sNewURL)
{
    const QString link = cleanLink(sNewURL);
    if (modDSSock::hasHttpScheme(link))
        return link;
    return joinedLink(QStringLiteral("http://") + pageBase(pageURL), link);
}

QStringList frmAddURLFromWeb::pageLinks(const QString &page)
{
    QStringList links;
    qsizetype href = modCommon::indexOfNoCase(page, u"href=");
    while (href >= 0) {
        qsizetype start = href + 5;
        // An opening quotation mark is not part of the link; an unquoted link starts at once.
        if (start < page.size() && (page.at(start) == QLatin1Char('"') || page.at(start) == QLatin1Char('\'')))
            ++start;
        const qsizetype close = page.indexOf(QLatin1Char('>'), start);
        if (close < 0)
            break;
        links.append(page.mid(start, close - start));
        href = modCommon::indexOfNoCase(page, u"href=", close + 1);
    }
    return links;
}

bool frmAddURLFromWeb::hasOtherScheme(const QString &link)
{
    static const QRegularExpression scheme(QStringLiteral("^([A-Za-z][A-Za-z0-9+.-]*):"));
    const QRegularExpressionMatch match = scheme.match(link);
    if (!match.hasMatch())
        return false;
    const QString name = match.captured(1);
    return name.compare(QLatin1String("http"), Qt::CaseInsensitive) != 0
        && name.compare(QLatin1String("https"), Qt::CaseInsensitive) != 0;
}
