#include "sitedata/frmAddURL.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/modCommon.h"
#include "mainwindow/frmMain.h"
#include "platform/CommonControls.h"
#include "platform/Dialogs.h"
#include "platform/Folders.h"
#include "platform/KeyedListView.h"

namespace {

const QString kTitle = QStringLiteral("Add URL From Local Folder");

QString withSlash(const QString &folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

} // namespace

frmAddURL::frmAddURL(KeyedListView *urlList, QWidget *parent) : QDialog(parent), m_urlList(urlList)
{
    if (!m_urlList) {
        if (frmMain *main = frmMain::existing())
            m_urlList = main->lsvSiteURLs;
    }
    setObjectName(QStringLiteral("frmAddURL"));
    setWindowTitle(QStringLiteral("Create URL from Local Folder"));
    setModal(true);

    txtFolder = new QLineEdit(this);
    txtFolder->setObjectName(QStringLiteral("txtFolder"));
    cmdBrowse = new QPushButton(QStringLiteral("&Browse..."), this);
    cmdBrowse->setObjectName(QStringLiteral("cmdBrowse"));
    cmdBrowse->setAutoDefault(false);
    txtDomain = new QLineEdit(this);
    txtDomain->setObjectName(QStringLiteral("txtDomain"));
    const QStringList extensions = {QStringLiteral(".HTML"), QStringLiteral(".ASP"), QStringLiteral(".CGI")};
    for (int i = 0; i < extensions.size(); ++i) {
        auto *box = new QCheckBox(extensions[i], this);
        box->setObjectName(QStringLiteral("chkExtention_") + QString::number(i));
        chkExtention.append(box);
    }
    chkSubDirectory = new QCheckBox(QStringLiteral("Includes sub-directory"), this);
    chkSubDirectory->setObjectName(QStringLiteral("chkSubDirectory"));
    const QStringList captions = {QStringLiteral("&Get"), QStringLiteral("Cancel")};
    for (int i = 0; i < captions.size(); ++i) {
        auto *button = new QPushButton(captions[i], this);
        button->setObjectName(QStringLiteral("Command1_") + QString::number(i));
        connect(button, &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
        Command1.append(button);
    }
    // Enter in any box runs Get.
    Command1[GetButton]->setDefault(true);

    auto *grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Local folder:"), this), 0, 0);
    auto *folderRow = new QHBoxLayout;
    folderRow->addWidget(txtFolder, 1);
    folderRow->addWidget(cmdBrowse);
    grid->addLayout(folderRow, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Domain name:"), this), 1, 0);
    grid->addWidget(txtDomain, 1, 1);
    auto *boxes = new QHBoxLayout;
    for (QCheckBox *box : chkExtention)
        boxes->addWidget(box);
    boxes->addWidget(chkSubDirectory);
    grid->addLayout(boxes, 2, 0, 1, 2);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Command1[GetButton]);
    buttons->addWidget(Command1[CancelButton]);
    grid->addLayout(buttons, 3, 0, 1, 2);

    connect(cmdBrowse, &QPushButton::clicked, this, [this] { cmdBrowse_Click(); });
    Form_Load();
}

void frmAddURL::Form_Load()
{
    modCommon::centerForm(this);
    txtFolder->setText(Platform::programFolder());
    txtDomain->setText(QStringLiteral("www."));
}

void frmAddURL::cmdBrowse_Click()
{
    const QString folder = Platform::folderDialog(QStringLiteral("Local Folder"), txtFolder->text(), this);
    if (!folder.isEmpty())
        txtFolder->setText(folder);
}

void frmAddURL::Command1_Click(int index)
{
    if (index == GetButton) {
        if (!validDomain())
            return;
        const QString folder = txtFolder->text();
        if (!QFileInfo(folder).isDir()) {
            Platform::msgBox(QStringLiteral("AddURL_Error: ") + QStringLiteral("The folder ") + folder
                                 + QStringLiteral(" does not exist."),
                             Platform::Critical, QStringLiteral("AddURL"));
            return;
        }
        addFolderURLs();
        accept();
    } else if (index == CancelButton) {
        reject();
    }
}

bool frmAddURL::validDomain()
{
    const QString domain = txtDomain->text();
    QString problem;
    if (domain.isEmpty())
        problem = QStringLiteral("Please enter a default domain name you want to combine with your local HTML file.");
    else if (!domain.contains(QLatin1Char('.')))
        problem = QStringLiteral("In valid domain name. Please enter a correct domain name.");
    if (problem.isEmpty())
        return true;
    Platform::msgBox(problem, Platform::Information, kTitle);
    txtDomain->setFocus();
    return false;
}

void frmAddURL::addFolderURLs()
{
    const QString filter = extensionFilter(chkExtention[0]->isChecked(), chkExtention[1]->isChecked(),
                                           chkExtention[2]->isChecked());
    const QString base = baseURL(txtDomain->text());
    const QString folder = txtFolder->text();
    createURL(base, filter, QString(), folder);
    if (!chkSubDirectory->isChecked())
        return;
    for (const QString &sub : subFolders(folder))
        createURL(base, filter, sub, withSlash(folder) + sub);
}

void frmAddURL::createURL(const QString &sDomain, const QString &sExtention, const QString &sSubDir,
                          const QString &sFilePath)
{
    if (!m_urlList)
        return;
    for (const QString &file : folderFiles(sFilePath)) {
        if (!matchesFilter(file, sExtention))
            continue;
        const QString url = sSubDir.isEmpty() ? QString(sDomain + file) : QString(sDomain + sSubDir + QLatin1Char('/') + file);
        // A URL already listed keeps its row and its local file.
        if (QTreeWidgetItem *row = m_urlList->addRow(url, {url}, QStringLiteral("HTMLFile")))
            Platform::setItemTag(row, withSlash(sFilePath) + file);
    }
}

QString frmAddURL::extensionFilter(bool html, bool asp, bool cgi)
{
    QStringList parts;
    if (html)
        parts << QStringLiteral(".htm,.html,.shtml");
    if (asp)
        parts << QStringLiteral(".asp");
    if (cgi)
        parts << QStringLiteral(".cgi");
    return parts.join(QLatin1Char(','));
}

bool frmAddURL::matchesFilter(const QString &fileName, const QString &filter)
{
    if (filter.isEmpty())
        return true;
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return false;
    const QString extension = fileName.mid(dot);
    const QStringList entries = filter.split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const QString &entry : entries) {
        if (entry.trimmed().compare(extension, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

QString frmAddURL::baseURL(const QString &domain)
{
    QString base = domain;
    if (!base.startsWith(QLatin1String("http"), Qt::CaseInsensitive))
        base.prepend(QStringLiteral("http://"));
    if (!base.endsWith(QLatin1Char('/')))
        base += QLatin1Char('/');
    return base;
}

QStringList frmAddURL::folderFiles(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase);
}

QStringList frmAddURL::subFolders(const QString &folder)
{
    return QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
}
