#include "ranking/frmRanking.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "core/clsPreference.h"
#include "core/modCommon.h"
#include "platform/CommonControls.h"
#include "platform/Dialogs.h"
#include "platform/EventLoop.h"
#include "platform/Folders.h"
#include "platform/ImageList.h"
#include "platform/KeyedListView.h"
#include "platform/Numbers.h"
#include "platform/Shell.h"
#include "ranking/clsRanking.h"
#include "platform/modDSSockLog.h"

using namespace Qt::StringLiterals;

namespace {

const QString kTitle = u"Web Ranking"_s;
const QString kHistory = u"WebRanking"_s;
constexpr int kEngineRole = Qt::UserRole + 10;
constexpr int kMaxKeywordChars = 100;
constexpr int kMaxPageLinks = 999;

void inform(const QString &text, const QString &title = kTitle)
{
    Platform::msgBox(text, Platform::Information, title);
}

QPushButton *button(const QString &caption, const QString &tip, QWidget *parent)
{
    auto *made = new QPushButton(caption, parent);
    made->setToolTip(tip);
    return made;
}

} // namespace

QPointer<frmRanking> frmRanking::s_instance;

frmRanking *frmRanking::instance()
{
    if (!s_instance)
        s_instance = new frmRanking;
    return s_instance;
}

frmRanking *frmRanking::loadedInstance()
{
    return s_instance;
}

frmRanking::frmRanking(QWidget *parent) : QDialog(parent), myRanking(std::make_unique<clsRanking>())
{
    setObjectName(u"frmRanking"_s);
    setWindowTitle(kTitle);
    setAttribute(Qt::WA_DeleteOnClose);
    auto *layout = new QVBoxLayout(this);
    SSTab1 = new QTabWidget(this);
    auto *search = new QWidget(SSTab1);
    auto *report = new QWidget(SSTab1);
    SSTab1->addTab(search, u"Search"_s);
    SSTab1->addTab(report, u"Report"_s);
    layout->addWidget(SSTab1);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setTextVisible(false);
    layout->addWidget(ProgressBar1);
    StatusBar2 = new Platform::StatusBar(1, this);
    layout->addWidget(StatusBar2);
    buildSearchPage(search);
    buildReportPage(report);
    connectRun();
    resize(620, 540);
    modCommon::centerForm(this);

    const QString reports = Platform::joinPath(Platform::programFolder(), u"Reports/Ranking"_s);
    if (!QDir().mkpath(reports))
        Platform::msgBox(u"loadWebRanking_Error: the folder "_s + reports + u" could not be made."_s, Platform::Critical,
                         kTitle);
    modCommon::loadHistory(cboSiteURL, kHistory, 30);
    loadEngineData();
    loadProfile();
    loadSockets();
    Platform::setBusyPointer(false);
}

frmRanking::~frmRanking() = default;

void frmRanking::buildSearchPage(QWidget *page)
{
    auto *grid = new QGridLayout(page);
    cboProfile = new QComboBox(page);
    cboSiteURL = new QComboBox(page);
    cboSiteURL->setEditable(true);
    cboSiteURL->setInsertPolicy(QComboBox::NoInsert);
    txtKeyword = new QLineEdit(page);
    txtKeyword->setToolTip(u"Enter the keywords or phrases separated by a space"_s);
    grid->addWidget(new QLabel(u"Profile:"_s, page), 0, 0);
    grid->addWidget(cboProfile, 0, 1);
    grid->addWidget(new QLabel(u"URL:   http://"_s, page), 1, 0);
    grid->addWidget(cboSiteURL, 1, 1);
    grid->addWidget(new QLabel(u"Keywords:"_s, page), 2, 0);
    grid->addWidget(txtKeyword, 2, 1);

    auto *profileButtons = new QVBoxLayout;
    Command2 = {button(u"&Add"_s, u"Add a new profile"_s, page), button(u"&Update"_s, u"Update a current profile"_s, page),
                button(u"&Remove"_s, u"Remove a profile"_s, page)};
    for (int i = 0; i < 3; ++i) {
        profileButtons->addWidget(Command2[std::size_t(i)]);
        connect(Command2[std::size_t(i)], &QPushButton::clicked, this, [this, i] { Command2_Click(i); });
    }
    grid->addLayout(profileButtons, 0, 2, 4, 1, Qt::AlignTop);

    auto *Frame2 = new QGroupBox(page);
    auto *options = new QHBoxLayout(Frame2);
    Option1 = {new QRadioButton(u"Pages to be searched"_s, Frame2), new QRadioButton(u"Links to be searched"_s, Frame2)};
    Option1[0]->setChecked(true);
    txtPageLinks = new QLineEdit(u"5"_s, Frame2);
    txtPageLinks->setToolTip(u"Specify the number of pages or links you wish to search"_s);
    txtPageLinks->setMaximumWidth(60);
    options->addWidget(Option1[0]);
    options->addWidget(Option1[1]);
    options->addWidget(txtPageLinks);
    options->addStretch();
    grid->addWidget(Frame2, 3, 0, 1, 2);
    for (int i = 0; i < 2; ++i) {
        connect(Option1[std::size_t(i)], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                Option1_Click(i);
        });
    }

    lsvRankingEngines = new QTreeWidget(page);
    lsvRankingEngines->setRootIsDecorated(false);
    lsvRankingEngines->setToolTip(u"Please tick or click on the check box on each engines to select"_s);
    lsvRankingEngines->setHeaderLabels({u"Engines"_s, u"Pages"_s, u"Position"_s, u"Status"_s});
    for (const auto &[column, width] : {std::pair{0, 150}, {1, 60}, {2, 153}, {3, 153}})
        lsvRankingEngines->setColumnWidth(column, width);
    grid->addWidget(lsvRankingEngines, 4, 0, 1, 3);

    auto *commands = new QHBoxLayout;
    Command1 = {button(u"&Start Search"_s, u"Start ranking"_s, page),
                button(u"&Get Report"_s, u"Generate a new ranking report"_s, page)};
    Command4 = new QPushButton(u"&Exit"_s, page);
    Command1[0]->setDefault(true);
    commands->addStretch();
    for (QPushButton *command : {Command1[0], Command1[1], Command4})
        commands->addWidget(command);
    grid->addLayout(commands, 5, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(4, 1);
    connect(Command1[0], &QPushButton::clicked, this, [this] { Command1_Click(0); });
    connect(Command1[1], &QPushButton::clicked, this, [this] { Command1_Click(1); });
    connect(Command4, &QPushButton::clicked, this, &frmRanking::Command4_Click);
    connect(cboProfile, &QComboBox::activated, this, [this] { cboProfile_Click(); });
    const auto changed = [this] { m_bProfileChanged = true; };
    connect(cboSiteURL, &QComboBox::editTextChanged, this, changed);
    connect(txtKeyword, &QLineEdit::textChanged, this, changed);
    connect(txtPageLinks, &QLineEdit::textChanged, this, changed);
}

void frmRanking::buildReportPage(QWidget *page)
{
    auto *layout = new QVBoxLayout(page);
    ListView2 = new KeyedListView(page);
    ListView2->setRootIsDecorated(false);
    ListView2->setHeaderLabels({u"Profile Name"_s, u"Date"_s});
    ListView2->setColumnWidth(0, 367);
    layout->addWidget(ListView2);
    Command3 = button(u"&View Report"_s, u"View ranking report"_s, page);
    auto *row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(Command3);
    layout->addLayout(row);
    connect(Command3, &QPushButton::clicked, this, &frmRanking::Command3_Click);
}

// One checkable row per engine of the file, each carrying its record; the file's log lines for
// engines past the eighth go to the error log. A file that fails part-way keeps the rows before.
void frmRanking::loadEngineData()
{
    const RankingEngineFile file = readRankingEngineFile(rankingEngineFilePath());
    for (const QString &line : file.logLines)
        modDSSock::writeErrorLog(line);
    for (const RankingEngine &engine : file.engines) {
        auto *row = new QTreeWidgetItem(lsvRankingEngines, {engine.name});
        row->setIcon(0, ImageList::icon(engine.name));
        row->setCheckState(0, Qt::Unchecked);
        row->setData(0, kEngineRole, QVariant::fromValue(engine));
    }
    if (file.corrupted)
        showCorruptedEngineFile();
}

void frmRanking::loadSockets()
{
    myRanking->loadSockets(engineRowCount());
}

// The window renders what the run and the report tell.
void frmRanking::connectRun()
{
    clsRanking *run = myRanking.get();
    connect(run, &clsRanking::rowText, this, [this](int index, int column, const QString &text) {
        if (QTreeWidgetItem *row = engineRow(index))
            row->setText(column, text);
    });
    connect(run, &clsRanking::progressChanged, this, [this](int value, int maximum) {
        ProgressBar1->setMaximum(qMax(maximum, 1));
        ProgressBar1->setValue(value);
    });
    connect(run, &clsRanking::idle, this, &frmRanking::showIdle);
    connect(run, &clsRanking::runEnded, this, [this](bool completed, bool pagesSaved) {
        if (completed)
            StatusBar2->setPanelText(1, pagesSaved ? u"Search completed !"_s : u"No engine could be searched."_s);
    });
    connect(run, &clsRanking::reportRequested, this, [this] { makeReport(myRanking->runInput()); });
    connect(run, &clsRanking::reportWritten, this, [this](const QString &profile, const QString &date) {
        if (QTreeWidgetItem *row = ListView2->rowByKey(profile))
            row->setText(1, date);
    });
}

RankingEngine frmRanking::rowEngine(const QTreeWidgetItem *row)
{
    return row ? row->data(0, kEngineRole).value<RankingEngine>() : RankingEngine();
}

QTreeWidgetItem *frmRanking::engineRow(int index) const
{
    return index >= 1 && index <= engineRowCount() ? lsvRankingEngines->topLevelItem(index - 1) : nullptr;
}

int frmRanking::engineRowCount() const
{
    return lsvRankingEngines->topLevelItemCount();
}

RankingInput frmRanking::rankingInput() const
{
    RankingInput input;
    for (int i = 1; i <= engineRowCount(); ++i) {
        const QTreeWidgetItem *row = engineRow(i);
        input.rows.push_back({rowEngine(row), row->checkState(0) == Qt::Checked});
    }
    input.keywords = txtKeyword->text();
    input.site = cboSiteURL->currentText();
    input.pagesMode = pagesMode();
    input.pageLinks = txtPageLinks->text();
    input.profile = cboProfile->currentText();
    input.reportFolder = reportFolder();
    return input;
}

QString frmRanking::profilePath() const
{
    return Platform::joinPath(Platform::programFolder(), u"profile.vqr"_s);
}

QString frmRanking::reportFolder() const
{
    const std::optional<QString> name = RankingProfiles::validName(cboProfile->currentText());
    return name ? Platform::joinPath(Platform::programFolder(), u"Reports/Ranking"_s, *name) + u'/' : QString();
}

void frmRanking::Option1_Click(int index)
{
    m_bProfileChanged = true;
    m_intSearchType = index;
    if (txtPageLinks->text().isEmpty())
        txtPageLinks->setText(index == 0 ? u"3"_s : u"30"_s);
}

bool frmRanking::isValidField()
{
    const std::optional<qint16> number = Platform::strictToInt16(txtPageLinks->text());
    bool anyTicked = false;
    for (int i = 1; i <= engineRowCount(); ++i)
        anyTicked = anyTicked || engineRow(i)->checkState(0) == Qt::Checked;
    const std::pair<bool, const char *> checks[] = {
        {cboSiteURL->currentText().isEmpty(), "Please specify the web site URL you want to rank."},
        {txtKeyword->text().isEmpty(), "Please enter the keywords you want to search for."},
        {txtKeyword->text().size() > kMaxKeywordChars, "The keywords must be less than 100 characters."},
        {!number || *number < 1 || *number > kMaxPageLinks || txtPageLinks->text().contains(u'.'),
         "Please specify the number of pages/links you want to search for."},
        {cboProfile->currentText().isEmpty(), "Please save the profile first before starting a new ranking."},
        {!anyTicked, "There is no engine selected. Please select the engine you want to search and try again."},
    };
    for (const auto &[failed, message] : checks) {
        if (failed) {
            inform(QString::fromLatin1(message));
            return false;
        }
    }
    if (m_bProfileChanged
        && Platform::msgBox(u"The current profile has been changed, do you want to save the changes before a new searching?"_s,
                            Platform::YesNo | Platform::Information, kTitle)
               == Platform::Yes)
        Command2_Click(1);
    return true;
}

void frmRanking::setProfileButtons(bool enabled)
{
    for (QPushButton *command : Command2)
        command->setEnabled(enabled);
    Command1[1]->setEnabled(enabled);
}

// A run owns what it read at its start: its profile, site, keywords, number and engines.
void frmRanking::setRunInputs(bool enabled)
{
    setProfileButtons(enabled);
    for (QWidget *input : std::initializer_list<QWidget *>{cboProfile, cboSiteURL, txtKeyword, Option1[0], Option1[1],
                                                            txtPageLinks, lsvRankingEngines})
        input->setEnabled(enabled);
}

void frmRanking::showIdle()
{
    Command1[0]->setText(u"&Start Search"_s);
    setRunInputs(true);
    setRunKeys(false);
}

void frmRanking::setRunKeys(bool running)
{
    for (QPushButton *command : findChildren<QPushButton *>())
        command->setAutoDefault(!running);
    Command1[0]->setDefault(!running);
}

void frmRanking::stopRun()
{
    myRanking->CancelProcess();
    ProgressBar1->setValue(0);
    StatusBar2->setPanelText(1, u"Done"_s);
    showIdle();
}

void frmRanking::startRun()
{
    if (!isValidField())
        return;
    if (myPreference().PromptConnection() != 0
        && Platform::msgBox(u"Please make sure you are connected to the internet and click on the 'Yes' button to Start. "
                            u"\r\n\r\nDo you want to continue?"_s,
                            Platform::YesNo | Platform::Information, kTitle)
               != Platform::Yes)
        return;
    const RankingInput input = rankingInput();
    if (input.reportFolder.isEmpty()) {
        Platform::msgBox(RankingProfiles::nameProblem(input.profile).value_or(QString()), Platform::Critical, kTitle);
        return;
    }
    Command1[0]->setText(u"&Stop"_s);
    setRunInputs(false);
    setRunKeys(true);
    StatusBar2->setPanelText(1, u"Retrieving data, please wait ...."_s);
    myRanking->StartSearch(input);
    // Replies come from the event loop only, so a run not running here never started.
    if (!myRanking->isRunning())
        StatusBar2->setPanelText(1, u"The search could not be started."_s);
}

void frmRanking::Command1_Click(int index)
{
    if (index == 0) {
        if (myRanking->isRunning())
            stopRun();
        else
            startRun();
        return;
    }
    makeReport(rankingInput());
}

void frmRanking::makeReport(const RankingInput &input)
{
    if (input.site.isEmpty()) {
        inform(u"Please specify the web site URL you want to rank."_s);
        return;
    }
    // Disabling the focused button moves the focus on (to "&Exit"): it comes back afterwards.
    const QPointer<QWidget> focused = focusWidget();
    StatusBar2->setPanelText(1, u"Please wait for creating ranking report ....."_s);
    setProfileButtons(false);
    Command1[0]->setEnabled(false);
    const bool made = myRanking->getResults(input) && myRanking->Report(input, profilePath());
    StatusBar2->setPanelText(1, made ? u"Ranking report created."_s : u"No ranking report was created."_s);
    setProfileButtons(true);
    Command1[0]->setEnabled(true);
    if (focused)
        focused->setFocus();
}

void frmRanking::Command3_Click()
{
    const QString report = modCommon::readINIValue(profilePath(), cboProfile->currentText(), u"ReportFile"_s);
    if (report.isEmpty() || !QFileInfo::exists(report)) {
        inform(u"The ranking report file you want to view is missing or does not exist, please re-run a new "
               u"ranking and try again."_s);
        return;
    }
    Platform::setBusyPointer(true);
    const bool opened = Platform::shellOpen(report);
    Platform::setBusyPointer(false);
    if (!opened)
        inform(u"Invalid Web Browser, please specify a correct web browser location from the 'Preference' setup "
               u"window !"_s);
}

void frmRanking::Command4_Click()
{
    close();
}

void frmRanking::reject()
{
    if (myRanking->isRunning())
        return;
    // A close under way (QDialog's close event rejects) hides the dialog; Esc closes it first.
    if (m_closed)
        QDialog::reject();
    else
        Command4_Click();
}

// Closing, also mid-run: every request and timer stops, so nothing reaches the closed window.
void frmRanking::closeEvent(QCloseEvent *event)
{
    shutdown();
    QDialog::closeEvent(event);
}

void frmRanking::done(int result)
{
    shutdown();
    QDialog::done(result);
}

void frmRanking::shutdown()
{
    if (m_closed)
        return;
    m_closed = true;
    myRanking->CancelProcess();
    modCommon::saveHistory(cboSiteURL, kHistory);
}
