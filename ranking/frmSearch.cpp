#include "ranking/frmSearch.h"

#include "core/modCommon.h"
#include "core/modStartUp.h"
#include "platform/Dialogs.h"
#include "platform/EventLoop.h"
#include "platform/Shell.h"
#include "platform/TextFile.h"
#include "ranking/SearchQuery.h"
#include "sitedata/ProjectList.h"
#include "sitedata/SiteFile.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <limits>

namespace {

const QString kHistory = QStringLiteral("Search");

} // namespace

QPointer<frmSearch> frmSearch::s_instance;

frmSearch *frmSearch::instance()
{
    if (!s_instance)
        s_instance = new frmSearch;
    return s_instance;
}

frmSearch *frmSearch::loadedInstance()
{
    return s_instance;
}

frmSearch::frmSearch(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmSearch"));
    setWindowTitle(QStringLiteral("Web Search"));
    setAttribute(Qt::WA_DeleteOnClose);
    buildControls();
    modCommon::centerForm(this);
    cboSearchType->setCurrentIndex(SearchQuery::GeneralKeyword);
    cboSearchType_Click();
    loadWebProfile();
    loadEngineData();
    if (cboEngine->count() > 0)
        cboEngine->setCurrentIndex(0);
    modCommon::loadHistory(cboKeywords, kHistory, 30);
    cboKeywords->setCurrentIndex(-1);
}

frmSearch::~frmSearch()
{
    modCommon::saveHistory(cboKeywords, kHistory);
}

void frmSearch::buildControls()
{
    Label3 = new QLabel(QStringLiteral("Perform a quick search on a general keyword, or check your URL visibility "
                                       "and link population on the major search engines."),
                        this);
    Label3->setWordWrap(true);
    cboSearchType = new QComboBox(this);
    cboSearchType->addItems({QStringLiteral("General Keyword Search"), QStringLiteral("URL Verification Search"),
                             QStringLiteral("Link population Search")});
    cboKeywords = new QComboBox(this);
    cboKeywords->setEditable(true);
    cboKeywords->setInsertPolicy(QComboBox::NoInsert);
    cboEngine = new QComboBox(this);
    cboWebProfile = new QComboBox(this);
    lstURL = new QListWidget(this);
    cmdSearch = new QPushButton(QStringLiteral("&Search"), this);
    cmdSearch->setDefault(true);
    cmdClose = new QPushButton(QStringLiteral("&Close"), this);

    auto *fields = new QFormLayout();
    fields->addRow(QStringLiteral("Search Type:"), cboSearchType);
    fields->addRow(QStringLiteral("Search For:"), cboKeywords);
    fields->addRow(QStringLiteral("Engine:"), cboEngine);
    fields->addRow(QStringLiteral("Website Profile:"), cboWebProfile);
    fields->addRow(QStringLiteral("Site URLs:"), lstURL);
    auto *buttons = new QHBoxLayout();
    buttons->addStretch();
    buttons->addWidget(cmdSearch);
    buttons->addWidget(cmdClose);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label3);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    resize(520, 400);

    connect(cboSearchType, &QComboBox::activated, this, [this] { cboSearchType_Click(); });
    connect(cboWebProfile, &QComboBox::activated, this, [this] { cboWebProfile_Click(); });
    connect(lstURL, &QListWidget::itemClicked, this, [this] { lstURL_Click(); });
    connect(cmdSearch, &QPushButton::clicked, this, &frmSearch::cmdSearch_Click);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::close);
}

void frmSearch::loadEngineData()
{
    cboEngine->clear();
    m_engines.clear();
    RankingEngineFile file = readRankingEngineFile(rankingEngineFilePath(), std::numeric_limits<qsizetype>::max(), EngineKeys::Query);
    m_engines = std::move(file.engines);
    for (const RankingEngine &engine : m_engines)
        cboEngine->addItem(engine.name);
    if (file.corrupted)
        showCorruptedEngineFile();
}

void frmSearch::loadWebProfile()
{
    cboWebProfile->clear();
    m_siteFiles.clear();
    const std::optional<ProjectList> list = ProjectList::load(ProjectListPath);
    if (!list)
        return;
    for (const Project &project : list->projects()) {
        for (const ProjectSite &site : project.sites) {
            cboWebProfile->addItem(site.name);
            m_siteFiles.append(site.file);
        }
    }
    cboWebProfile->setCurrentIndex(-1);
}

void frmSearch::loadURLs(const QString &siteFile)
{
    lstURL->clear();
    if (siteFile.isEmpty() || !Platform::fileExists(siteFile))
        return;
    const std::optional<SiteFile> site = SiteFile::load(siteFile);
    if (!site)
        return;
    for (const SiteUrl &url : site->urls())
        lstURL->addItem(url.url);
}

void frmSearch::cboSearchType_Click()
{
    const bool siteSearch = cboSearchType->currentIndex() != SearchQuery::GeneralKeyword;
    cboWebProfile->setEnabled(siteSearch);
    lstURL->setEnabled(siteSearch);
}

void frmSearch::cboWebProfile_Click()
{
    const int site = cboWebProfile->currentIndex();
    if (site >= 0 && site < m_siteFiles.size())
        loadURLs(m_siteFiles[site]);
}

void frmSearch::lstURL_Click()
{
    if (const QListWidgetItem *item = lstURL->currentItem())
        cboKeywords->setEditText(item->text());
}

void frmSearch::cmdSearch_Click()
{
    const QString text = cboKeywords->currentText();
    if (text.isEmpty()) {
        Platform::msgBox(QStringLiteral("Please enter the keywords you would like to search for."),
                         Platform::Information, QStringLiteral("Search"));
        return;
    }
    const int engine = cboEngine->currentIndex();
    if (engine < 0 || engine >= static_cast<int>(m_engines.size())) {
        showCorruptedEngineFile();
        return;
    }
    modCommon::addHistory(cboKeywords, text);
    cboKeywords->setEditText(text);
    const RankingEngine &chosen = m_engines[static_cast<size_t>(engine)];
    const QString address = SearchQuery::engineQueryAddress(
        chosen, SearchQuery::queryText(cboSearchType->currentIndex(), text, chosen.URLVisibility));
    if (!SearchQuery::isBrowserAddress(address)) {
        showCorruptedEngineFile();
        return;
    }
    Platform::setBusyPointer(true);
    Platform::shellOpen(address);
    Platform::setBusyPointer(false);
}
