#include "pagetools/frmOptimizer.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>

#include "core/modCommon.h"
#include "pagetools/OptimizerReport.h"
#include "pagetools/PageAddress.h"
#include "pagetools/PageFetch.h"
#include "platform/Codec1252.h"
#include "platform/CommonControls.h"
#include "platform/Dialogs.h"
#include "platform/EventLoop.h"
#include "platform/Folders.h"
#include "platform/Shell.h"
#include "platform/TextFile.h"
#include "transport/frmHTTP.h"

using namespace Qt::StringLiterals;

namespace {

const QString kTitle = u"Optimizer"_s;
const QString kIdleCaption = u"&Optimizer"_s;
const QString kCancelCaption = u"&Cancel"_s;
const QString kHistory = u"Optimizer"_s;
constexpr int kHistoryEntries = 30;
const QString kCrLf = u"\r\n"_s;

QString reportFolder()
{
    return Platform::joinPath(Platform::programFolder(), u"Optimizer"_s);
}

} // namespace

QPointer<frmOptimizer> frmOptimizer::s_instance;

frmOptimizer *frmOptimizer::instance()
{
    if (!s_instance)
        s_instance = new frmOptimizer;
    return s_instance;
}

frmOptimizer *frmOptimizer::loadedInstance()
{
    return s_instance;
}

frmOptimizer::frmOptimizer(QWidget *parent) : QDialog(parent)
{
    setObjectName(u"frmOptimizer"_s);
    setWindowTitle(u"Web Site Optimizer"_s);
    setAttribute(Qt::WA_DeleteOnClose);
    buildWindow();
    registerReceiver();
    Form_Load();
}

frmOptimizer::~frmOptimizer()
{
    Form_Unload();
}

void frmOptimizer::buildWindow()
{
    auto *intro = new QLabel(
        u"Analyzes your web site and suggests ways to improve it. Enter your web site URL or a local HTML "
        "file name in the \"File Location\" box and press the \"Optimizer\" button. The \"Optimizer\" report "
        "will be displayed on your default web browser."_s,
        this);
    intro->setObjectName(u"Label1"_s);
    intro->setWordWrap(true);
    auto *addressLabel = new QLabel(u"Web Address (web URL or local HTML file path):"_s, this);
    addressLabel->setObjectName(u"Label4"_s);

    cboSiteURL = new QComboBox(this);
    cboSiteURL->setObjectName(u"cboSiteURL"_s);
    cboSiteURL->setEditable(true);
    cboSiteURL->setInsertPolicy(QComboBox::NoInsert);
    cboSiteURL->setCompleter(nullptr);
    cboSiteURL->setToolTip(u"Web site URL or your local HTML file with full path name."_s);
    cboSiteURL->setMinimumContentsLength(40);
    addressLabel->setBuddy(cboSiteURL);

    cmdFileLocation = new QPushButton(u"&Browse..."_s, this);
    cmdFileLocation->setObjectName(u"cmdFileLocation"_s);
    cmdFileLocation->setToolTip(u"Open a file for renovation"_s);
    cmdRenovator = new QPushButton(kIdleCaption, this);
    cmdRenovator->setObjectName(u"cmdRenovator"_s);
    cmdRenovator->setToolTip(u"Checks your web page and suggests ways to improve it. Enter your file name "
                             "and hit the button."_s);
    cmdRenovator->setMouseTracking(true);
    cmdRenovator->installEventFilter(this);
    for (QPushButton *button : {cmdFileLocation, cmdRenovator})
        button->setAutoDefault(false);

    StatusBar1 = new Platform::StatusBar(1, this);
    StatusBar1->setObjectName(u"StatusBar1"_s);
    StatusBar1->setSizeGripEnabled(false);

    auto *menus = new QMenuBar(this);
    QMenu *mnuFile = menus->addMenu(u"&File"_s);
    connect(mnuFile->addAction(u"&Open HTML File"_s), &QAction::triggered, this, [this] { mnuFileItems_Click(0); });
    mnuFile->addSeparator();
    connect(mnuFile->addAction(u"&Close"_s), &QAction::triggered, this, [this] { mnuFileItems_Click(2); });
    mnuOptimizer = menus->addMenu(u"&Run"_s)->addAction(kIdleCaption);
    connect(mnuOptimizer, &QAction::triggered, this, [this] { cmdRenovator_Click(); });

    auto *grid = new QGridLayout(this);
    grid->setMenuBar(menus);
    grid->addWidget(intro, 0, 0, 1, 3);
    grid->addWidget(addressLabel, 1, 0, 1, 3);
    grid->addWidget(cboSiteURL, 2, 0);
    grid->addWidget(cmdFileLocation, 2, 1);
    grid->addWidget(cmdRenovator, 2, 2);
    grid->setRowStretch(3, 1);
    grid->addWidget(StatusBar1, 4, 0, 1, 3);
    grid->setColumnStretch(0, 1);

    connect(cboSiteURL, &QComboBox::editTextChanged, this, [this] { cmdRenovator->setEnabled(true); });
    // An editable combo box takes the keys itself and hands them to its line edit directly.
    cboSiteURL->installEventFilter(this);
    connect(cmdFileLocation, &QPushButton::clicked, this, [this] { cmdFileLocation_Click(); });
    connect(cmdRenovator, &QPushButton::clicked, this, [this] { cmdRenovator_Click(); });
    resize(600, 210);
}

// A page that arrives after the window has closed finds no receiver and is dropped.
void frmOptimizer::registerReceiver()
{
    frmHTTP::PageReceiver receiver;
    receiver.pageArrived = [this](const QString &page, int) {
        QPointer<frmOptimizer> self = this;
        Renovator(page);
        if (self)
            cmdRenovator->setEnabled(true);
    };
    receiver.connectFailed = [this] {
        StatusBar1->setPanelText(1, QString());   // no longer connecting
        cmdRenovator->setText(kIdleCaption);
        if (!isVisible())
            releaseHidden();
    };
    frmHTTP::setReceiver(kRequestKind, this, receiver);
}

void frmOptimizer::Form_Load()
{
    modCommon::centerForm(this);
    modCommon::loadHistory(cboSiteURL, kHistory, kHistoryEntries);
    // A loaded list shows no entry until one is picked.
    cboSiteURL->setCurrentIndex(-1);
}

void frmOptimizer::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    if (s_instance == this) {
        s_instance.clear();
        frmHTTP::removeReceiver(kRequestKind);
        // A page still on its way has no window to go to.
        PageFetch::cancel(kRequestKind);
    }
    modCommon::saveHistory(cboSiteURL, kHistory);
}

void frmOptimizer::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    QDialog::closeEvent(event);
}

// Enter in the address box runs the report (and is taken, so it reaches nothing else). While a
// fetch runs the pointer is the hourglass; over the button it is the arrow, to cancel.
bool frmOptimizer::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == cboSiteURL && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            cmdRenovator_Click();
            return true;
        }
    }
    if (watched == cmdRenovator && event->type() == QEvent::MouseMove && cmdRenovator->text() == kCancelCaption)
        Platform::setBusyPointer(false);
    return QDialog::eventFilter(watched, event);
}

void frmOptimizer::cmdRenovator_Click()
{
    if (cmdRenovator->text() != kIdleCaption) {
        StatusBar1->setPanelText(1, QString());   // no longer connecting
        cmdRenovator->setText(kIdleCaption);
        PageFetch::cancel(kRequestKind);
        Platform::setBusyPointer(false);
        return;
    }
    const QString address = cboSiteURL->currentText();
    if (address.isEmpty())
        Platform::msgBox(u"Please enter your web site URL or a valid local HTML file you want to process and try again."_s,
                         Platform::Information, kTitle);
    else if (PageAddress::isLocalPath(address))
        runLocalFile(address);
    else
        startFetch(address);
}

void frmOptimizer::startFetch(const QString &address)
{
    modCommon::addHistory(cboSiteURL, address);
    cboSiteURL->setEditText(address);
    StatusBar1->setPanelText(1, u"Connecting to : "_s + address + u" ...."_s);
    cmdRenovator->setText(kCancelCaption);
    Platform::setBusyPointer(true);
    frmHTTP *fetch = frmHTTP::instance();
    fetch->Tag = kRequestKind;
    fetch->Connect(address);
}

void frmOptimizer::runLocalFile(const QString &path)
{
    if (!Platform::fileExists(path)) {
        Platform::msgBox(u"Invalid path or file name for your local HTML file, please open a valid HTML file and try again."_s,
                         Platform::Information, kTitle);
    } else {
        QPointer<frmOptimizer> self = this;
        Platform::setBusyPointer(true);
        cmdRenovator->setEnabled(false);
        Renovator(getFileData(path));
        if (!self)
            return;
    }
    Platform::setBusyPointer(false);
    cmdRenovator->setEnabled(true);
}

void frmOptimizer::cmdFileLocation_Click()
{
    setEnabled(false);
    int filterIndex = 1;
    const QString path = modCommon::showFileDialog(
        false, u"HTML Files (*.html;*.htm)|*.htm;*.html|Text Files (*.txt)|*.txt|All Files (*.*)|*.*"_s, QString(),
        filterIndex);
    if (!path.isEmpty())
        cboSiteURL->setEditText(path);
    setEnabled(true);
}

void frmOptimizer::mnuFileItems_Click(int index)
{
    if (index == 0)
        cmdFileLocation_Click();
    else if (index == 2)
        close();
}

QString frmOptimizer::getFileData(const QString &path)
{
    const auto fail = [&path](const QString &reason) {
        Platform::msgBox(u"getFileData_Error: "_s + reason + path, Platform::Critical, u"Error"_s);
        return QString();
    };
    if (QFileInfo(path).size() > frmHTTP::kMaxPageChars)
        return fail(u"The file is larger than "_s + QString::number(frmHTTP::kMaxPageChars) + u" bytes: "_s);
    const std::optional<QString> text = Platform::readTextFile(path);
    if (!text)
        return fail(u"The file could not be read: "_s);
    return *text;
}

QString frmOptimizer::reportPath() const
{
    const QString shown = OptimizerReport::displayAddress(cboSiteURL->currentText());
    return Platform::joinPath(reportFolder(), OptimizerReport::reportFileName(shown));
}

void frmOptimizer::Renovator(const QString &sData)
{
    if (sData.isEmpty()) {
        Platform::msgBox(u"No document found from HTML file, please check your HTML file and try again."_s,
                         Platform::Information, kTitle);
        return;
    }
    QPointer<frmOptimizer> self = this;
    Platform::setBusyPointer(true);
    const QString shown = OptimizerReport::displayAddress(cboSiteURL->currentText());
    StatusBar1->setPanelText(1, u"Opening file : "_s + cboSiteURL->currentText());
    const QString report = OptimizerReport::reportText(shown, sData, OptimizerReport::Credits::fromPreference());
    if (writeReport(report)) {
        Platform::shellOpen(reportPath());
        Platform::doEvents();
        if (!self)
            return;
        StatusBar1->setPanelText(1, u"Done"_s);
        QApplication::beep();
    }
    endRun();
}

// Makes the folder and writes the report; a failure is shown and nothing is opened.
bool frmOptimizer::writeReport(const QString &report)
{
    const QString path = reportPath();
    QString reason;
    if (!QDir().mkpath(reportFolder()))
        reason = u"The folder could not be created: "_s + reportFolder();
    else if (!Platform::writeBinaryFileAtomically(path, Platform::toAnsiHtml(report + kCrLf)))
        reason = u"The report could not be written: "_s + path;
    if (reason.isEmpty())
        return true;
    Platform::setBusyPointer(false);
    Platform::msgBox(u"Module: Optimizer"_s + kCrLf + reason, Platform::Information, u"Optimizer Error"_s);
    return false;
}

void frmOptimizer::endRun()
{
    cmdRenovator->setText(kIdleCaption);
    Platform::setBusyPointer(false);
    if (!isVisible())
        releaseHidden();
}

void frmOptimizer::releaseHidden()
{
    emit clearStatusRequested();
    close();
}
