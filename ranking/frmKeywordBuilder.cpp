#include "ranking/frmKeywordBuilder.h"

#include "core/clsPreference.h"
#include "core/modCommon.h"
#include "platform/CommonControls.h"
#include "platform/Dialogs.h"
#include "platform/EventLoop.h"
#include "platform/Folders.h"
#include "platform/IniFile.h"
#include "platform/LongWordWrap.h"
#include "platform/TextFile.h"
#include "ranking/KeywordBuilderText.h"
#include "ranking/SearchQuery.h"
#include "transport/frmHTTP.h"
#include "transport/modDSSockSocket.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>

namespace {

const QString kHistory = QStringLiteral("KeywordBuilder");
const QString kTitle = QStringLiteral("Keyword Builder");
const QString kCrLf = QStringLiteral("\r\n");
const QString kGet = QStringLiteral("&Get");
const QString kCancel = QStringLiteral("&Cancel");

} // namespace

QPointer<frmKeywordBuilder> frmKeywordBuilder::s_instance;

frmKeywordBuilder *frmKeywordBuilder::instance()
{
    if (!s_instance)
        s_instance = new frmKeywordBuilder;
    return s_instance;
}

frmKeywordBuilder *frmKeywordBuilder::loadedInstance()
{
    return s_instance;
}

frmKeywordBuilder::frmKeywordBuilder(QWidget *parent) : QDialog(parent), Timer1(this, kSiteIntervalMs, false)
{
    setObjectName(QStringLiteral("frmKeywordBuilder"));
    setWindowTitle(kTitle);
    setAttribute(Qt::WA_DeleteOnClose);
    buildControls();
    modCommon::centerForm(this);
    loadEngineData();
    modCommon::loadHistory(cboKeywords, kHistory, 30);
    cboKeywords->setCurrentIndex(-1);

    frmHTTP::PageReceiver receiver;
    receiver.pageArrived = [this](const QString &page, int) {
        if (!m_running || !m_awaitingPage || m_fetchRun != m_run)
            return;
        if (page.isEmpty())
            noPage(QStringLiteral("empty page"));
        ProcessData(page);
    };
    receiver.connectFailed = [this] { fetchFailed(); };
    receiver.silentConnectFailure = true;
    receiver.silentHttpFailure = true;
    frmHTTP::setReceiver(kRequestKind, this, std::move(receiver));
}

frmKeywordBuilder::~frmKeywordBuilder()
{
    if (m_running)
        cancelRun();
    modCommon::saveHistory(cboKeywords, kHistory);
}

void frmKeywordBuilder::buildControls()
{
    Label1 = new QLabel(QStringLiteral("Not sure what keywords you want to use? Simply enter a keyword or phrase "
                                       "related to your web site and click on the \"Get\" button, and the Keyword "
                                       "Builder will generate a list of related keywords for your web site."),
                        this);
    Label1->setWordWrap(true);
    Label2 = new QLabel(QStringLiteral("Get Suggection Keywords for:"), this);
    cboKeywords = new QComboBox(this);
    cboKeywords->setEditable(true);
    cboKeywords->setInsertPolicy(QComboBox::NoInsert);
    Command1[0] = new QPushButton(kGet, this);
    Command1[0]->setToolTip(QStringLiteral("Get suggestion keywords"));
    Command1[0]->setDefault(true);
    Command1[1] = new QPushButton(QStringLiteral("&Close"), this);
    Command1[2] = new QPushButton(QStringLiteral("&Save"), this);
    for (QPushButton *button : Command1)
        button->setCursor(Qt::ArrowCursor);   // usable during a run: Cancel and Close
    Command1[2]->setToolTip(QStringLiteral("Save suggestion keywords to file"));
    Option1[0] = new QRadioButton(QStringLiteral("Seperate keywords one per line"), this);
    Option1[1] = new QRadioButton(QStringLiteral("Seperate keywords by a comma"), this);
    Option1[0]->setChecked(true);
    txtKeywordList = new QPlainTextEdit(this);
    // Tab moves on: a tab typed into the list would be saved into the file.
    txtKeywordList->setTabChangesFocus(true);
    // A site's one long keyword would otherwise hold the window while the list lays it out.
    LongWordWrap::keepWrappingFast(txtKeywordList);
    StatusBar1 = new Platform::StatusBar(1, this);
    // A long list of sites that gave no page is cut, not widening the window; the tip shows it whole.
    StatusBar1->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    Label2->setBuddy(cboKeywords);

    auto *query = new QHBoxLayout();
    query->addWidget(Label2);
    query->addWidget(cboKeywords, 1);
    query->addWidget(Command1[0]);
    auto *options = new QHBoxLayout();
    options->addWidget(Option1[0]);
    options->addWidget(Option1[1]);
    options->addStretch();
    auto *buttons = new QHBoxLayout();
    buttons->addStretch();
    buttons->addWidget(Command1[2]);
    buttons->addWidget(Command1[1]);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addLayout(query);
    layout->addLayout(options);
    layout->addWidget(txtKeywordList, 1);
    layout->addLayout(buttons);
    layout->addWidget(StatusBar1);
    resize(560, 440);

    // The Tab order follows the layout: query row, options, list, bottom buttons.
    QWidget *const order[] = {cboKeywords, Command1[0], Option1[0], Option1[1], txtKeywordList, Command1[2], Command1[1]};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    for (int i = 0; i < static_cast<int>(Command1.size()); ++i)
        connect(Command1[static_cast<size_t>(i)], &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
    connect(&Timer1, &Platform::Timer::timeout, this, &frmKeywordBuilder::Timer1_Timer);
}

void frmKeywordBuilder::loadEngineData()
{
    m_engine = readKeywordBuilderEngine(rankingEngineFilePath());
    if (m_engine.corrupted)
        showCorruptedEngineFile();
}

void frmKeywordBuilder::done(int result)
{
    if (m_running)
        cancelRun();
    QDialog::done(result);
}

void frmKeywordBuilder::keyPressEvent(QKeyEvent *event)
{
    if (m_running && event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

// During a run no button is the default, so Enter cannot reach "&Cancel".
void frmKeywordBuilder::setRunKeys(bool running)
{
    for (QPushButton *command : Command1)
        command->setAutoDefault(!running);
    Command1[0]->setDefault(!running);
}

void frmKeywordBuilder::Command1_Click(int index)
{
    switch (index) {
    case 0:
        if (m_running)
            cancelRun();
        else
            startRun();
        break;
    case 1:
        close();
        break;
    case 2:
        saveKeywords();
        break;
    default:
        break;
    }
}

void frmKeywordBuilder::startRun()
{
    if (m_engine.corrupted || m_engine.engine.EngineURL.isEmpty()) {
        showCorruptedEngineFile();
        return;
    }
    const QString text = cboKeywords->currentText();
    modCommon::addHistory(cboKeywords, text);
    cboKeywords->setEditText(text);
    if (myPreference().PromptConnection() != 0
        && Platform::msgBox(QStringLiteral("Please make sure you are connected to the internet and click on the "
                                           "'Yes' button.")
                                + kCrLf + kCrLf + QStringLiteral("Do you want to continue ?"),
                            Platform::YesNo | Platform::Information, kTitle)
               == Platform::No)
        return;
    txtKeywordList->clear();
    StatusBar1->setPanelText(1, QStringLiteral("Please wait while retrieving data from the internet ... "));
    Command1[0]->setText(kCancel);
    showRunPointer(true);
    setRunKeys(true);
    m_running = true;
    ++m_run;
    m_phase = 0;
    m_siteIndex = 0;
    m_sites = QStringList(m_engine.NumOfURLs, QString());
    m_noPage.clear();
    m_resultPageFailure.clear();
    fetch(SearchQuery::engineQueryAddress(m_engine.engine, Platform::lineBreaksToSpaces(text)));
}

// The hourglass over the window while a run is under way; the buttons keep the normal pointer.
// The page fetch sets and clears the application's pointer on its own, so the run's pointer
// belongs to this window's widgets.
void frmKeywordBuilder::showRunPointer(bool running)
{
    const Qt::CursorShape shape = running ? Qt::WaitCursor : Qt::ArrowCursor;
    setCursor(shape);
    txtKeywordList->viewport()->setCursor(running ? Qt::WaitCursor : Qt::IBeamCursor);
}

void frmKeywordBuilder::cancelRun()
{
    ++m_run;
    m_running = false;
    m_awaitingPage = false;
    Timer1.setEnabled(false);
    Command1[0]->setText(kGet);
    StatusBar1->setPanelText(1, QStringLiteral("Cancelled"));
    showRunPointer(false);
    setRunKeys(false);
    if (frmHTTP *http = frmHTTP::loadedInstance())
        modDSSock::SocketDisconnect(http->dsSocket2);
}

// The page arrives later through the receiver, or at once when no connection is made. Nothing
// of this window is used after the request: a failed one may already have ended the run.
void frmKeywordBuilder::fetch(const QString &url)
{
    m_awaitingPage = true;
    m_fetchRun = m_run;
    frmHTTP *http = frmHTTP::instance();
    http->Tag = kRequestKind;
    http->Connect(url);
}

void frmKeywordBuilder::fetchFailed()
{
    if (!m_running || !m_awaitingPage || m_fetchRun != m_run)
        return;
    const frmHTTP *http = frmHTTP::loadedInstance();
    noPage(KeywordBuilderText::noPageReason(http ? http->statusCode() : 0));
    ProcessData(QString());
}

void frmKeywordBuilder::noPage(const QString &reason)
{
    if (m_phase == 0) {
        m_resultPageFailure = reason;
        StatusBar1->setPanelText(1, QStringLiteral("No result page: ") + reason);
        return;
    }
    const QString address = currentAddress();
    m_noPage.append(address + QStringLiteral(" (") + reason + u')');
    StatusBar1->setPanelText(1, QStringLiteral("No page from ") + address + QStringLiteral(": ") + reason);
}

QString frmKeywordBuilder::currentAddress() const
{
    return m_sites.value(m_siteIndex - 1);
}

void frmKeywordBuilder::ProcessData(const QString &page)
{
    if (!m_running)
        return;
    m_awaitingPage = false;
    if (m_phase == 0) {
        m_phase = 1;
        m_siteIndex = 0;
        const QStringList found = KeywordBuilderText::getURL(m_engine, page);
        for (qsizetype i = 0; i < found.size(); ++i)
            m_sites[i] = found[i];
    } else if (!page.isEmpty()) {
        // Appended, not set again whole: a list of many sites would be laid out again for each.
        // As setting it did, the program's text takes no place among the user's undo steps.
        QTextDocument *list = txtKeywordList->document();
        list->setUndoRedoEnabled(false);
        QTextCursor end(list);
        end.movePosition(QTextCursor::End);
        end.insertText(modCommon::crLfToLf(kCrLf + KeywordBuilderText::getKeywords(page, Option1[0]->isChecked())));
        list->setUndoRedoEnabled(true);
        txtKeywordList->moveCursor(QTextCursor::End);
    }
    ++m_siteIndex;
    if (m_siteIndex > m_engine.NumOfURLs)
        endRun();
    else
        Timer1.setEnabled(true);
}

void frmKeywordBuilder::Timer1_Timer()
{
    Timer1.setEnabled(false);
    if (!m_running)
        return;
    const QString address = currentAddress();
    if (!address.isEmpty()) {
        fetch(address);
        return;
    }
    // An empty slot has nothing to connect to: it counts as done at once.
    ProcessData(QString());
}

void frmKeywordBuilder::endRun()
{
    m_running = false;
    showRunPointer(false);
    setRunKeys(false);
    const qsizetype sites = m_sites.size() - m_sites.count(QString());
    QString status = QStringLiteral("Done");
    if (!m_resultPageFailure.isEmpty())
        status += QStringLiteral(": no result page (") + m_resultPageFailure + u')';
    else if (sites == 0)
        status += QStringLiteral(": the result page listed no sites");
    else if (!m_noPage.isEmpty())
        status += QStringLiteral(": ") + QString::number(m_noPage.size()) + QStringLiteral(" of ")
                  + QString::number(sites) + QStringLiteral(" sites gave no page: ") + m_noPage.join(QStringLiteral(", "));
    StatusBar1->setPanelText(1, status);
    StatusBar1->setToolTip(status);
    Command1[0]->setText(kGet);
    QApplication::beep();
    Platform::msgBox(QStringLiteral("Done !"), Platform::Information, kTitle);
}

void frmKeywordBuilder::saveKeywords()
{
    const QString folder = Platform::joinPath(Platform::programFolder(), QStringLiteral("Keywords")) + u'/';
    QDir().mkpath(folder);
    int filter = 1;
    QString file = modCommon::showFileDialog(true, QStringLiteral("Text files (*.txt)|*.txt|All Files (*.*)|*.*|"),
                                             folder, filter);
    if (file.isEmpty())
        return;
    if (filter == 1 && !file.endsWith(QStringLiteral(".txt"), Qt::CaseInsensitive))
        file += QStringLiteral(".txt");
    if (Platform::fileExists(file)
        && Platform::msgBox(QStringLiteral("The file ") + file
                                + QStringLiteral(" already exists, do you want to replace it?"),
                            Platform::YesNo | Platform::Information, QStringLiteral("Save URL"))
               == Platform::No)
        return;
    if (!Platform::writeTextFileAtomically(file, modCommon::multiLineText(txtKeywordList) + kCrLf)) {
        Platform::msgBox(QStringLiteral("saveKeywords_Error: the file could not be written: ") + file,
                         Platform::Critical, QStringLiteral("Save Keywords"));
        return;
    }
    StatusBar1->setPanelText(1, QStringLiteral("Save"));
}
