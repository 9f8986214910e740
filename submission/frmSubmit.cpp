#include "submission/frmSubmit.h"

#include <cmath>

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "core/modCommon.h"
#include "core/modStartUp.h"
#include "platform/ColumnFractions.h"
#include "platform/CommonControls.h"
#include "platform/Dialogs.h"
#include "platform/EventLoop.h"
#include "platform/Numbers.h"
#include "platform/Shell.h"
#include "sitedata/EngineCollection.h"
#include "sitedata/EngineListView.h"
#include "submission/SubmitHttp.h"
#include "submission/SubmitScheduler.h"
#include "platform/modDSSockLog.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int IconKeyRole = Qt::UserRole + 3;

QIcon iconFor(const QString &key)
{
    QStyle *style = QApplication::style();
    if (key == u"Connecting"_s) return style->standardIcon(QStyle::SP_BrowserReload);
    if (key == u"Connected"_s) return style->standardIcon(QStyle::SP_DriveNetIcon);
    if (key == u"Completed"_s) return style->standardIcon(QStyle::SP_DialogApplyButton);
    if (key == u"Failed"_s) return style->standardIcon(QStyle::SP_MessageBoxWarning);
    if (key == u"Submitting"_s) return style->standardIcon(QStyle::SP_MediaPlay);
    if (key == u"Finish"_s) return style->standardIcon(QStyle::SP_DialogYesButton);
    return QIcon();
}

void setRowIcon(QTreeWidgetItem *row, const QString &key)
{
    row->setData(0, IconKeyRole, key);
    row->setIcon(0, iconFor(key));
}

// A finished request keeps its key "Completed" (a stop passes over such rows) but shows the
// check only when the report counts it as a success.
void showResultIcon(QTreeWidgetItem *row, int status)
{
    if (status != SubmitHttp::kSuccess)
        row->setIcon(0, iconFor(u"Failed"_s));
}

// "Finish: 2 succeeded, 4 failed", as the URL's report splits its engines; a stopped run adds the
// engines it never sent: "Canceled: 0 succeeded, 2 failed, 2 not sent".
QString resultSummary(const QString &urlStatus, const clsSubmit &run)
{
    QString summary = urlStatus % u": "_s % QString::number(run.successCount()) % u" succeeded, "_s
                      % QString::number(run.failureCount()) % u" failed"_s;
    if (run.notSentCount() > 0)
        summary += u", "_s % QString::number(run.notSentCount()) % u" not sent"_s;
    return summary;
}

// A list whose columns take those fractions of its width, on show and on every resize.
QTreeWidget *newList(const QStringList &headers, const QList<double> &fractions)
{
    auto *list = new QTreeWidget;
    list->setHeaderLabels(headers);
    Platform::keepColumnFractions(list, fractions);
    list->setRootIsDecorated(false);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    return list;
}

void info(const QString &text, const QString &title)
{
    Platform::msgBox(text, Platform::OkOnly | Platform::Information, title);
}

// A header click sorts by the one rule of the lists and switches sorting on, so rows added later
// (a finished URL's result) take their place.
void sortOnHeaderClick(QTreeWidget *list)
{
    Platform::sortOnHeaderClick(list);
    QObject::connect(list->header(), &QHeaderView::sectionClicked, list, [list] { list->setSortingEnabled(true); });
}

} // namespace

frmSubmit::frmSubmit(std::unique_ptr<clsSubmit> run, QWidget *mainWindow, EngineNames selectedEngines,
                     const QString &projectListPath)
    : QWidget(nullptr, Qt::Window | Qt::WindowStaysOnTopHint), m_run(std::move(run)),
      m_mainWindow(mainWindow), m_selectedEngines(std::move(selectedEngines)),
      m_projectListPath(projectListPath)
{
    Platform::setBusyPointer(true);
    setWindowTitle(u"Submit"_s);
    buildWindow();
    m_scheduler = new SubmitScheduler(*m_run, this);
    m_scheduler->loadSockets(m_run->settings().connectionCount());
    connectScheduler();
    m_checkingFromCode = true;
    m_run->loadProject(m_projectListPath, lsvSiteSelection);
    m_checkingFromCode = false;
    Platform::setBusyPointer(false);
    if (m_mainWindow)
        m_mainWindow->setEnabled(false);
}

frmSubmit::~frmSubmit()
{
    Form_Unload();
}

frmSubmit *frmSubmit::Display(QWidget *mainWindow, EngineNames selectedEngines,
                              clsSubmit::EngineLookup engines, const QString &projectListPath)
{
    auto run = std::make_unique<clsSubmit>(currentSubmitSettings(), std::move(engines));
    auto *window = new frmSubmit(std::move(run), mainWindow, std::move(selectedEngines), projectListPath);
    window->setAttribute(Qt::WA_DeleteOnClose);
    modCommon::centerForm(window);
    window->show();
    return window;
}

frmSubmit *frmSubmit::Display(QWidget *mainWindow, EngineListView *selectedEngines)
{
    QPointer<EngineListView> list = selectedEngines;
    // The run takes the engines in the list's order, sorted on its first column; the list's
    // header shows that order, so a click on that column next reverses it.
    EngineNames names = [list] {
        if (!list)
            return QStringList();
        list->sortByColumn(0, Qt::AscendingOrder);
        return list->names();
    };
    clsSubmit::EngineLookup engines = [](const QString &name) -> const clsEngines * {
        return myEngines().find(name);
    };
    return Display(mainWindow, std::move(names), std::move(engines), ProjectListPath);
}

void frmSubmit::buildWindow()
{
    SSTab1 = new QTabWidget;
    SSTab1->addTab(buildSiteTab(), u"Web Sites"_s);
    SSTab1->addTab(buildSummaryTab(), u"Summary"_s);
    SSTab1->addTab(buildUrlTab(), u"Submission"_s);
    SSTab1->addTab(buildResultsTab(), u"Results"_s);
    StatusBar1 = new Platform::StatusBar(3);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(SSTab1);
    layout->addWidget(StatusBar1);
    resize(640, 480);
}

QWidget *frmSubmit::buildSiteTab()
{
    auto *tab = new QWidget;
    auto *layout = new QVBoxLayout(tab);
    layout->addWidget(new QLabel(u"Please select the web sites you want to submit and then click on the 'Next' button."_s));
    lsvSiteSelection = newList({u"Web Site"_s, u"Project"_s, u"Number of URLs"_s}, {2 / 4.0, 1 / 4.0, 0.8 / 4});
    sortOnHeaderClick(lsvSiteSelection);
    connect(lsvSiteSelection, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem *row, int column) {
        if (column == 0 && !m_checkingFromCode && row->checkState(0) == Qt::Checked)
            lsvSiteSelection_ItemCheck(row);
    });
    layout->addWidget(lsvSiteSelection);
    auto *buttons = new QHBoxLayout;
    chkSelectAll = new QCheckBox(u"Select All"_s);
    connect(chkSelectAll, &QCheckBox::clicked, this, &frmSubmit::chkSelectAll_Click);
    cmdNext = new QPushButton(u"&Next"_s);
    connect(cmdNext, &QPushButton::clicked, this, &frmSubmit::cmdNext_Click);
    cmdCancel[0] = new QPushButton(u"&Exit"_s);
    connect(cmdCancel[0], &QPushButton::clicked, this, [this] { cmdCancel_Click(0); });
    buttons->addWidget(chkSelectAll);
    buttons->addStretch();
    buttons->addWidget(cmdNext);
    buttons->addWidget(cmdCancel[0]);
    layout->addLayout(buttons);
    return tab;
}

QWidget *frmSubmit::buildSummaryTab()
{
    auto *tab = new QWidget;
    auto *layout = new QVBoxLayout(tab);
    const auto addLine = [layout](const QString &caption, QLabel *&value, const QString &unit) {
        auto *line = new QHBoxLayout;
        value = new QLabel;
        line->addWidget(new QLabel(caption));
        line->addWidget(value);
        if (!unit.isEmpty())
            line->addWidget(new QLabel(unit));
        line->addStretch();
        layout->addLayout(line);
    };
    addLine(u"Number of web sites to be submitted:"_s, lblNumOfWebsites, QString());
    addLine(u"Number of engines selected:"_s, lblNumOfEngines, QString());
    addLine(u"Total Number of URLs to be submitted:"_s, lblNumOfURLs, QString());
    addLine(u"Number of connections:"_s, lblNumOfConnections, QString());
    addLine(u"Estimated time for submission:"_s, lblEstimatedTime, u"(minutes)"_s);
    lblStart = new QLabel(u"Please click on the 'Start' button to continue."_s);
    layout->addWidget(lblStart);
    ProgressBar1 = new QProgressBar;
    layout->addWidget(ProgressBar1);
    auto *buttons = new QHBoxLayout;
    cmdStart = new QPushButton(u"&Start"_s);
    connect(cmdStart, &QPushButton::clicked, this, &frmSubmit::cmdStart_Click);
    cmdCancel[1] = new QPushButton(u"&Cancel"_s);
    connect(cmdCancel[1], &QPushButton::clicked, this, [this] { cmdCancel_Click(1); });
    buttons->addStretch();
    buttons->addWidget(cmdStart);
    buttons->addWidget(cmdCancel[1]);
    layout->addLayout(buttons);
    return tab;
}

QWidget *frmSubmit::buildUrlTab()
{
    auto *tab = new QWidget;
    auto *layout = new QVBoxLayout(tab);
    lblSubmit = new QLabel(u"Please confirm the URL(s), make sure you are connected to the internet and press the 'Submit' button."_s);
    layout->addWidget(lblSubmit);
    lsvSiteSubmitting = newList({u"URL"_s, u"Web site"_s, u"Status"_s}, {2 / 4.0, 1 / 4.0, 0.7 / 4});
    lsvConnections = newList({u" "_s, u"Engines"_s, u"Status"_s}, {0.3 / 5, 3.8 / 5, 1.4 / 5});
    layout->addWidget(lsvSiteSubmitting);
    layout->addWidget(lsvConnections);
    auto *buttons = new QHBoxLayout;
    cmdRemove = new QPushButton(u"&Remove"_s);
    connect(cmdRemove, &QPushButton::clicked, this, &frmSubmit::cmdRemove_Click);
    cmdSubmit = new QPushButton(u"&Submit"_s);
    connect(cmdSubmit, &QPushButton::clicked, this, &frmSubmit::cmdSubmit_Click);
    cmdCancel[2] = new QPushButton(u"&Cancel"_s);
    connect(cmdCancel[2], &QPushButton::clicked, this, [this] { cmdCancel_Click(2); });
    buttons->addWidget(cmdRemove);
    buttons->addStretch();
    buttons->addWidget(cmdSubmit);
    buttons->addWidget(cmdCancel[2]);
    layout->addLayout(buttons);
    return tab;
}

QWidget *frmSubmit::buildResultsTab()
{
    auto *tab = new QWidget;
    auto *layout = new QVBoxLayout(tab);
    layout->addWidget(new QLabel(u"Please select a web site in the list and press the 'View Report' button to see its report in your browser."_s));
    // The status column is wide enough for "Canceled: 10 succeeded, 20 failed, 300 not sent".
    lsvReport = newList({u"URL"_s, u"Web Site"_s, u"Status"_s}, {1.5 / 5, 0.8 / 5, 2.7 / 5});
    sortOnHeaderClick(lsvReport);
    layout->addWidget(lsvReport);
    auto *buttons = new QHBoxLayout;
    cmdReport = new QPushButton(u"&View Report"_s);
    connect(cmdReport, &QPushButton::clicked, this, &frmSubmit::cmdReport_Click);
    cmdCancel[3] = new QPushButton(u"&Cancel"_s);
    connect(cmdCancel[3], &QPushButton::clicked, this, [this] { cmdCancel_Click(3); });
    buttons->addStretch();
    buttons->addWidget(cmdReport);
    buttons->addWidget(cmdCancel[3]);
    layout->addLayout(buttons);
    return tab;
}

void frmSubmit::connectScheduler()
{
    connect(m_scheduler, &SubmitScheduler::connectionRowChanged, this,
            [this](int socket, const QString &engine, const QString &status, const QString &icon) {
                while (lsvConnections->topLevelItemCount() < socket)
                    new QTreeWidgetItem(lsvConnections);
                QTreeWidgetItem *row = lsvConnections->topLevelItem(socket - 1);
                row->setText(1, engine);
                row->setText(2, status);
                setRowIcon(row, icon);
            });
    connect(m_scheduler, &SubmitScheduler::requestEnded, this, [this](int socket, int, int status) {
        if (QTreeWidgetItem *row = lsvConnections->topLevelItem(socket - 1))
            showResultIcon(row, status);
    });
    connect(m_scheduler, &SubmitScheduler::urlRowChanged, this,
            [this](int urlRow, const QString &status, const QString &icon) {
                if (QTreeWidgetItem *row = lsvSiteSubmitting->topLevelItem(urlRow - 1)) {
                    row->setText(2, status);
                    if (!icon.isEmpty())
                        setRowIcon(row, icon);
                }
            });
    connect(m_scheduler, &SubmitScheduler::urlReported, this, [this](int urlRow, const QString &path) {
        const QTreeWidgetItem *source = lsvSiteSubmitting->topLevelItem(urlRow - 1);
        if (!source)
            return;
        auto *row = new QTreeWidgetItem(lsvReport,
                                        {source->text(0), source->text(1), resultSummary(source->text(2), *m_run)});
        row->setCheckState(0, Qt::Unchecked);
        Platform::setItemKey(row, Platform::itemKey(source));
        Platform::setItemTag(row, path);
    });
    connect(m_scheduler, &SubmitScheduler::remainingChanged, this,
            [this](const QString &text) { StatusBar1->setPanelText(1, text); });
    connect(m_scheduler, &SubmitScheduler::elapsedChanged, this,
            [this](const QString &text) { StatusBar1->setPanelText(3, text); });
    connect(m_scheduler, &SubmitScheduler::runEnded, this, &frmSubmit::onRunEnded);
    connect(m_scheduler, &SubmitScheduler::submissionDone, this, [] {
        QApplication::beep();
        Platform::msgBox(u"Submission done !"_s, Platform::OkOnly, u"Submit"_s);
    });
}

void frmSubmit::lsvSiteSelection_ItemCheck(QTreeWidgetItem *row)
{
    const QString count = row->text(2);
    QString refusal;
    QString title = u"Submit"_s;
    if (count.isEmpty() || count == u"0"_s) {
        refusal = u"There is not URL in current selected web site, please enter the web site URL before submit."_s;
    } else if (Platform::itemTag(row).isEmpty()) {
        refusal = u"Web site file is empty, please save the web site details before submit."_s;
        title = u"Select Website\""_s;
    }
    if (refusal.isEmpty())
        return;
    info(refusal, title);
    m_checkingFromCode = true;
    row->setCheckState(0, Qt::Unchecked);
    m_checkingFromCode = false;
}

void frmSubmit::chkSelectAll_Click()
{
    m_checkingFromCode = true;
    const bool all = chkSelectAll->isChecked();
    for (int r = 0; r < lsvSiteSelection->topLevelItemCount(); ++r) {
        QTreeWidgetItem *row = lsvSiteSelection->topLevelItem(r);
        const bool tick = all && !Platform::itemTag(row).isEmpty() && Platform::leadingNumber(row->text(2)) > 0;
        row->setCheckState(0, tick ? Qt::Checked : Qt::Unchecked);
    }
    m_checkingFromCode = false;
}

void frmSubmit::getNumOfSelectedSites(QString &sNumOfWebsites, QString &sNumOfURLs) const
{
    for (int r = 0; r < lsvSiteSelection->topLevelItemCount(); ++r) {
        const QTreeWidgetItem *row = lsvSiteSelection->topLevelItem(r);
        if (row->checkState(0) != Qt::Checked)
            continue;
        sNumOfWebsites = QString::number(qint64(Platform::leadingNumber(sNumOfWebsites)) + 1);
        sNumOfURLs = QString::number(qint64(Platform::leadingNumber(sNumOfURLs) + Platform::leadingNumber(row->text(2))));
    }
}

QString frmSubmit::estimateText(int urls, int engines, int connections)
{
    const int sockets = connections < 1 ? 1 : connections;
    const double minutes = double(urls) * 400.0 * double(engines) / (double(sockets) * 900.0);
    QLocale grouped = QLocale::c();
    grouped.setNumberOptions(QLocale::DefaultNumberOptions);   // "1,481", as "##,##0" shows it
    return grouped.toString(qint64(std::round(minutes)));
}

bool frmSubmit::getSubmitSummary()
{
    QString sites;
    QString urls;
    getNumOfSelectedSites(sites, urls);
    const QStringList engines = m_selectedEngines ? m_selectedEngines() : QStringList();
    m_intNumOfEngines = int(engines.size());
    if (m_intNumOfEngines == 0) {
        info(u"There is no engine selected, please select the engines you want to submit and try again."_s, u"Submit"_s);
        return false;
    }
    lblNumOfEngines->setText(QString::number(m_intNumOfEngines));
    if (sites.isEmpty()) {
        info(u"There is no web site selected, please select the web site you want to submit and press the 'Next' button."_s,
             u"Submit"_s);
        return false;
    }
    const int connections = m_run->settings().connectionCount();
    lblNumOfWebsites->setText(sites);
    lblNumOfURLs->setText(urls);
    lblNumOfConnections->setText(QString::number(m_run->settings().Connections));
    lblEstimatedTime->setText(estimateText(urls.toInt(), m_intNumOfEngines, connections));
    return true;
}

void frmSubmit::cmdNext_Click()
{
    if (!getSubmitSummary())
        return;
    lblStart->setText(u"Please confirm your setting above and click the 'Start' button:"_s);
    ProgressBar1->setValue(0);
    SSTab1->setCurrentIndex(1);
}

bool frmSubmit::ConfirmSubmit()
{
    if (lblNumOfWebsites->text().isEmpty()) {
        info(u"There is no web site to be submitted. Please make sure to select the web site you want to submit and try again."_s,
             u"Confirm Submit"_s);
        return false;
    }
    if (lblNumOfEngines->text().isEmpty()) {
        info(u"There is no engine has been submitted. Please select the engines you want to submit and try again."_s,
             u"Confirm Submit"_s);
        return false;
    }
    return true;
}

void frmSubmit::cmdStart_Click()
{
    if (m_scheduler->isRunning() || !ConfirmSubmit())
        return;
    lblStart->setText(u"Please wait for creating the submission data ......"_s);
    lblSubmit->setText(u"Please confirm the URL(s) you want to submit and click the 'Submit' button:"_s);
    ProgressBar1->setMaximum(lblNumOfEngines->text().toInt() + lblNumOfWebsites->text().toInt()
                             + lblNumOfURLs->text().toInt());
    lsvConnections->clear();
    m_run->createSubmissionData(lsvSiteSelection, lsvSiteSubmitting,
                                m_selectedEngines ? m_selectedEngines() : QStringList(), ProgressBar1);
    cmdSubmit->setText(u"&Submit"_s);
    cmdCancel[2]->setEnabled(true);
    SSTab1->setCurrentIndex(2);
}

void frmSubmit::cmdSubmit_Click()
{
    if (cmdSubmit->text().compare(u"&Submit"_s, Qt::CaseInsensitive) != 0) {
        cmdSubmit->setText(u"&Submit"_s);
        cmdCancel[2]->setEnabled(true);
        m_scheduler->stopSubmission();
        SSTab1->setCurrentIndex(3);
        return;
    }
    QList<SubmitScheduler::UrlRow> urls;
    for (int r = 0; r < lsvSiteSubmitting->topLevelItemCount(); ++r) {
        const QTreeWidgetItem *row = lsvSiteSubmitting->topLevelItem(r);
        urls.append({row->text(0), Platform::itemTag(row)});
    }
    if (urls.isEmpty()) {
        info(u"There is no web site to be submitted. Please make sure to select the web site you want to submit and try again."_s,
             u"Confirm Submit"_s);
        return;
    }
    lsvReport->clear();
    lblSubmit->setText(u"Please wait while submitting ..... "_s);
    cmdSubmit->setText(u"&Stop"_s);
    cmdCancel[2]->setEnabled(false);
    setRunControlsEnabled(false);
    m_scheduler->StartSubmit(urls);
}

void frmSubmit::setRunControlsEnabled(bool enabled)
{
    // While a run is under way its URL rows and engines must stay as they are.
    cmdRemove->setEnabled(enabled);
    cmdStart->setEnabled(enabled);
    cmdNext->setEnabled(enabled);
    for (int tab = 0; tab < SSTab1->count(); ++tab) {
        if (tab != 2)
            SSTab1->setTabEnabled(tab, enabled);
    }
}

void frmSubmit::onRunEnded()
{
    lsvSiteSubmitting->clear();
    setRunControlsEnabled(true);
    SSTab1->setCurrentIndex(3);
    cmdSubmit->setText(u"&Submit"_s);
    cmdCancel[2]->setEnabled(true);
}

void frmSubmit::cmdRemove_Click()
{
    if (m_scheduler->isRunning())
        return;
    for (int r = 0; r < lsvSiteSubmitting->topLevelItemCount();) {
        QTreeWidgetItem *row = lsvSiteSubmitting->topLevelItem(r);
        if (row->isSelected())
            delete lsvSiteSubmitting->takeTopLevelItem(r);
        else
            ++r;
    }
}

void frmSubmit::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Delete && lsvSiteSubmitting->hasFocus()) {
        cmdRemove_Click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void frmSubmit::viewReport()
{
    for (int r = 0; r < lsvReport->topLevelItemCount(); ++r) {
        const QTreeWidgetItem *row = lsvReport->topLevelItem(r);
        if (!row->isSelected() && row->checkState(0) != Qt::Checked)
            continue;
        const QString tag = Platform::itemTag(row);
        if (!tag.isEmpty() && QFileInfo::exists(tag)) {
            Platform::setBusyPointer(true);
            Platform::shellOpen(tag);
            Platform::setBusyPointer(false);
            return;
        }
        modDSSock::writeErrorLog(u"ReportFile: "_s + tag);
        info(u"Report file is corrupted or missing, please re-run the submission again."_s, u"View Report"_s);
        return;
    }
    info(u"Please select the web site you want to view and then press the 'Report' button."_s, u"View Report"_s);
}

void frmSubmit::cmdCancel_Click(int index)
{
    if (index == 0)
        close();
    else
        SSTab1->setCurrentIndex(0);
}

void frmSubmit::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::WindowStateChange && isMinimized() && m_mainWindow)
        m_mainWindow->showMinimized();
    QWidget::changeEvent(event);
}

void frmSubmit::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    QWidget::closeEvent(event);
}

// Stop every socket and timer first, then release the run, then give the main window back. A run
// cut short by the close writes nothing: no report, no report entry, no failed-engine list.
void frmSubmit::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    delete m_scheduler;
    m_scheduler = nullptr;
    m_run.reset();
    if (m_mainWindow)
        m_mainWindow->setEnabled(true);
}
