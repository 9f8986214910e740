#include "pagetools/frmMetaTag.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "core/modCommon.h"
#include "core/modCommonHtml.h"
#include "pagetools/FolderRows.h"
#include "platform/LongWordWrap.h"
#include "pagetools/MetaTagWrites.h"
#include "pagetools/PageAddress.h"
#include "pagetools/PageFetch.h"
#include "pagetools/TypingCap.h"
#include "platform/CommonControls.h"
#include "platform/Dialogs.h"
#include "platform/EventLoop.h"
#include "platform/FolderListing.h"
#include "platform/Shell.h"
#include "platform/TextFile.h"
#include "transport/frmHTTP.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int kEnterKey = 13;
constexpr int kTypeColumnPadding = 24;

const QString kBoxTitle = u"Meta Tag Editor"_s;

QString counter(const QString &name, qsizetype length)
{
    return name + u" ("_s + QString::number(length) + u" characters)"_s;
}

template <typename T>
T *named(T *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QPushButton *button(const QString &caption, const char *name, QWidget *parent)
{
    auto *b = named(new QPushButton(caption, parent), name);
    b->setAutoDefault(false);
    return b;
}

} // namespace

static_assert(modCommon::kMaxHtmlFileBytes == frmHTTP::kMaxPageChars, "a local page is held to the page fetch's cap");

QPointer<frmMetaTag> frmMetaTag::s_instance;

frmMetaTag *frmMetaTag::instance()
{
    if (!s_instance)
        s_instance = new frmMetaTag;
    return s_instance;
}

frmMetaTag *frmMetaTag::loadedInstance()
{
    return s_instance;
}

frmMetaTag::frmMetaTag(QWidget *parent) : QDialog(parent)
{
    setObjectName(u"frmMetaTag"_s);
    setWindowTitle(kBoxTitle);
    setAttribute(Qt::WA_DeleteOnClose);
    setSizeGripEnabled(true);
    buildWindow();
    wireControls();
    // A failed fetch has shown its box: the window is no longer connecting.
    frmHTTP::setReceiver(kRequestKind, this,
                         {[this](const QString &page, int) { pageArrived(page); }, [this] { lblStatusBar->clear(); }});
    Form_Load();
}

frmMetaTag::~frmMetaTag()
{
    Form_Unload();
}

void frmMetaTag::buildWindow()
{
    auto *addressRow = new QHBoxLayout;
    addressRow->addWidget(named(new QLabel(u"Address:"_s, this), "Text1"));
    cboAddress = named(new QComboBox(this), "cboAddress");
    cboAddress->setEditable(true);
    cboAddress->setInsertPolicy(QComboBox::NoInsert);
    cboAddress->setCompleter(nullptr);
    cboAddress->setToolTip(u"Enter a web site URL or a local HTML file"_s);
    addressRow->addWidget(cboAddress, 1);

    auto *left = new QWidget(this);
    auto *leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    Drive1 = named(new QComboBox(left), "Drive1");
    Drive1->addItems(Platform::driveList());
    lsvDirs = named(new QTreeWidget(left), "lsvDirs");
    lsvDirs->setColumnCount(2);
    lsvDirs->setHeaderLabels({u"Name"_s, u"Type"_s});
    lsvDirs->setRootIsDecorated(false);
    lsvDirs->setUniformRowHeights(true);
    lsvDirs->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lsvDirs->setContextMenuPolicy(Qt::CustomContextMenu);
    lsvDirs->setToolTip(u"Double click on a HTML file to display the Meta Tag"_s);
    lsvDirs->header()->setSectionsClickable(true);
    lsvDirs->header()->setSortIndicatorShown(true);
    lsvDirs->header()->setStretchLastSection(false);
    // Name takes the width the Type column leaves, whatever the list's size.
    lsvDirs->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    lsvDirs->header()->setSectionResizeMode(1, QHeaderView::Fixed);
    leftLayout->addWidget(Drive1);
    leftLayout->addWidget(lsvDirs, 1);

    auto *right = new QWidget(this);
    auto *rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    fraMeTaTag[0] = named(new QGroupBox(u"Meta Tag of HTML file"_s, right), "fraMeTaTag0");
    auto *tags = new QVBoxLayout(fraMeTaTag[0]);
    Label1[0] = named(new QLabel(u"Title:"_s, fraMeTaTag[0]), "Label1_0");
    // Typing, pastes and drops stop at kMaxTyped characters; text the program sets may be longer.
    txtTitle = named(new TypingCap::LineBox(kMaxTyped, fraMeTaTag[0]), "txtTitle");
    txtTitle->setToolTip(u"Title of the HTML file"_s);
    Label1[2] = named(new QLabel(u"Keywords:"_s, fraMeTaTag[0]), "Label1_2");
    txtKeyword = named(new TypingCap::TextBox(kMaxTyped, fraMeTaTag[0]), "txtKeyword");
    txtKeyword->setToolTip(u"Meta Tag Keyowrds of your HTML file"_s);
    Label1[4] = named(new QLabel(u"Description:"_s, fraMeTaTag[0]), "Label1_4");
    txtDescription = named(new TypingCap::TextBox(kMaxTyped, fraMeTaTag[0]), "txtDescription");
    txtDescription->setToolTip(u"Meta Tag Description of your HTML file"_s);
    for (QPlainTextEdit *box : {txtKeyword, txtDescription}) {
        box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        box->setTabChangesFocus(true);
        LongWordWrap::keepWrappingFast(box);
    }
    tags->addWidget(Label1[0]);
    tags->addWidget(txtTitle);
    tags->addWidget(Label1[2]);
    tags->addWidget(txtKeyword, 1);
    tags->addWidget(Label1[4]);
    tags->addWidget(txtDescription, 1);

    fraMeTaTag[1] = named(new QGroupBox(u"Update Option"_s, right), "fraMeTaTag1");
    auto *options = new QVBoxLayout(fraMeTaTag[1]);
    optUpdate[0] = named(new QRadioButton(u"Insert more Meta Tags into existing Meta Tag"_s, fraMeTaTag[1]), "optUpdate0");
    optUpdate[1] = named(new QRadioButton(u"Replace existing Meta Tag with the new Meta Tag above"_s, fraMeTaTag[1]),
                         "optUpdate1");
    options->addWidget(optUpdate[0]);
    options->addWidget(optUpdate[1]);
    rightLayout->addWidget(fraMeTaTag[0], 1);
    rightLayout->addWidget(fraMeTaTag[1]);

    picSpliter = named(new QSplitter(Qt::Horizontal, this), "picSpliter");
    picSpliter->addWidget(left);
    picSpliter->addWidget(right);
    picSpliter->setChildrenCollapsible(false);

    auto *bottom = new QHBoxLayout;
    lblStatusBar = named(new QLabel(this), "lblStatusBar");
    lblStatusBar->setMinimumWidth(1);
    Command1[0] = button(u"&Update"_s, "Command1_0", this);
    Command1[1] = button(u"&Close"_s, "Command1_1", this);
    bottom->addWidget(lblStatusBar, 1);
    bottom->addWidget(Command1[0]);
    bottom->addWidget(Command1[1]);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(addressRow);
    layout->addWidget(picSpliter, 1);
    layout->addLayout(bottom);

    mnuPopup = named(new QMenu(u"Popup"_s, this), "mnuPopup");
    mnuViewSource = mnuPopup->addAction(u"View Source"_s);
    resize(820, 560);
}

void frmMetaTag::wireControls()
{
    // An editable combo box takes the keys itself and hands them to its line edit directly.
    cboAddress->installEventFilter(this);
    // A mouse move over these gives the default pointer back after a read, fetch or update.
    for (QWidget *area : {static_cast<QWidget *>(this), static_cast<QWidget *>(fraMeTaTag[0]),
                          static_cast<QWidget *>(fraMeTaTag[1]), txtKeyword->viewport(),
                          txtDescription->viewport(), lsvDirs->viewport()}) {
        area->setMouseTracking(true);
        area->installEventFilter(this);
    }
    connect(txtTitle, &QLineEdit::textChanged, this, [this] { Label1[0]->setText(counter(u"Title"_s, txtTitle->text().size())); });
    connect(txtKeyword, &QPlainTextEdit::textChanged, this,
            [this] { Label1[2]->setText(counter(u"Keywords"_s, modCommon::multiLineText(txtKeyword).size())); });
    connect(txtDescription, &QPlainTextEdit::textChanged, this,
            [this] { Label1[4]->setText(counter(u"Description"_s, modCommon::multiLineText(txtDescription).size())); });
    connect(Command1[0], &QPushButton::clicked, this, [this] { Command1_Click(0); });
    connect(Command1[1], &QPushButton::clicked, this, [this] { Command1_Click(1); });
    connect(Drive1, &QComboBox::activated, this, [this] { Drive1_Change(); });
    // Enter and a double click both activate a row.
    connect(lsvDirs, &QTreeWidget::itemActivated, this, [this] { lsvDirs_DblClick(); });
    connect(lsvDirs->header(), &QHeaderView::sectionClicked, this, [this](int column) { lsvDirs_ColumnClick(column); });
    connect(lsvDirs, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { lsvDirs_MouseDown(Qt::RightButton, lsvDirs->viewport()->mapToGlobal(pos)); });
    connect(mnuViewSource, &QAction::triggered, this, [this] { mnuViewSource_Click(); });
    connect(picSpliter, &QSplitter::splitterMoved, this, [this] { Resize(); });
}

void frmMetaTag::Form_Load()
{
    modCommon::centerForm(this);
    layout()->activate();   // the splitter gets its width before its panes are sized
    const int splitterWidth = picSpliter->width();
    picSpliter->setSizes({splitterWidth * 2 / 5, splitterWidth - splitterWidth * 2 / 5});
    optUpdate[1]->setChecked(true);
    // The list starts sorted, so the first header click reverses it.
    lsvDirs->sortItems(0, Qt::AscendingOrder);
    m_loaded = true;
    addDirs(FolderRows::driveFolder(Drive1->currentText()));
    Resize();
}

void frmMetaTag::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    if (s_instance == this)
        s_instance = nullptr;
    // A page still on its way has no window to go to.
    PageFetch::cancel(kRequestKind);
}

void frmMetaTag::closeEvent(QCloseEvent *event)
{
    // An update under way stops at its next file and closes the window then.
    if (m_updating) {
        m_closeAfterUpdate = true;
        event->ignore();
        return;
    }
    Form_Unload();
    QWidget::closeEvent(event);
}

// A rejection of the dialog closes it as the Close button does.
void frmMetaTag::reject()
{
    close();
}

// Esc would close the window and lose the tags the user has typed.
void frmMetaTag::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Cancel)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmMetaTag::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    Resize();
}

// The layouts place the controls and the header stretches the Name column; the Type column
// keeps its width unless the list is narrower than twice that.
void frmMetaTag::Resize()
{
    if (!m_loaded)
        return;
    const int typeWidth = lsvDirs->fontMetrics().horizontalAdvance(u"HTML File"_s) + kTypeColumnPadding;
    lsvDirs->setColumnWidth(1, qMin(typeWidth, lsvDirs->viewport()->width() / 2));
}

bool frmMetaTag::eventFilter(QObject *watched, QEvent *event)
{
    if (m_unloaded)   // the controls may be going
        return QDialog::eventFilter(watched, event);
    if (event->type() == QEvent::Resize && watched == lsvDirs->viewport())
        Resize();
    if (event->type() == QEvent::MouseMove) {
        Platform::setBusyPointer(false);
        return QDialog::eventFilter(watched, event);
    }
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent *>(event)->key();
    if (watched == cboAddress && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
        cboAddress_KeyDown(kEnterKey);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void frmMetaTag::addDirs(const QString &startingDir)
{
    const QList<FolderRows::Row> rows = FolderRows::listRows(startingDir);
    Platform::RedrawSuspender suspend(lsvDirs);
    lsvDirs->clear();
    QList<QTreeWidgetItem *> items;
    items.reserve(rows.size());
    for (const FolderRows::Row &row : rows)
        items.append(FolderRows::newItem(row));
    lsvDirs->addTopLevelItems(items);
    lsvDirs->sortItems(lsvDirs->sortColumn(), lsvDirs->header()->sortIndicatorOrder());
}

void frmMetaTag::Drive1_Change()
{
    addDirs(FolderRows::driveFolder(Drive1->currentText()));
}

QTreeWidgetItem *frmMetaTag::selectedItem() const
{
    QTreeWidgetItem *current = lsvDirs->currentItem();
    if (current && current->isSelected())
        return current;
    const QList<QTreeWidgetItem *> selected = lsvDirs->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

void frmMetaTag::lsvDirs_DblClick()
{
    QTreeWidgetItem *item = selectedItem();
    if (!item)
        return;
    const QString tag = Platform::itemTag(item);
    cboAddress->setEditText(tag);
    if (tag.isEmpty())
        return;
    const std::optional<int> attributes = Platform::fileAttributes(tag);
    if (!attributes) {
        Platform::msgBox(u"The file or folder no longer exists: "_s + tag, Platform::Critical, u"Error"_s);
        return;
    }
    if (*attributes & Platform::FolderAttribute) {
        addDirs(tag);
        return;
    }
    // The boxes keep what the user typed unless a page is read.
    if (FolderRows::itemKind(item) == FolderRows::Kind::HtmlFile && Platform::fileExists(tag))
        getMetaTag(modCommon::readHTMLFile(tag, modCommon::HeadPart));
}

void frmMetaTag::lsvDirs_ColumnClick(int column)
{
    lsvDirs->sortItems(column, Platform::nextClickSortOrder(lsvDirs));
}

void frmMetaTag::lsvDirs_MouseDown(Qt::MouseButton button, const QPoint &globalPos)
{
    if (button != Qt::RightButton)
        return;
    QTreeWidgetItem *item = selectedItem();
    if (!item)
        return;
    mnuViewSource->setEnabled(FolderRows::itemKind(item) == FolderRows::Kind::HtmlFile);
    mnuPopup->popup(globalPos);
}

void frmMetaTag::mnuViewSource_Click()
{
    QTreeWidgetItem *item = selectedItem();
    if (!item || FolderRows::itemKind(item) != FolderRows::Kind::HtmlFile)
        return;
    if (!Platform::openInTextEditor(Platform::itemTag(item)))
        Platform::msgBox(u"ViewSource_Error: The file could not be opened in the text editor."_s, Platform::Critical,
                         u"Error"_s);
}

void frmMetaTag::cboAddress_KeyDown(int keyCode)
{
    if (keyCode != kEnterKey)
        return;
    // The boxes keep what the user typed until a page is read.
    const QString address = cboAddress->currentText();
    if (address.isEmpty())
        return;
    cboAddress->insertItem(0, address);
    while (cboAddress->count() > kHistoryEntries)
        cboAddress->removeItem(cboAddress->count() - 1);
    cboAddress->setEditText(address);

    if (PageAddress::isLocalPath(address)) {
        if (Platform::fileExists(address)) {
            Platform::setBusyPointer(true);
            getMetaTag(modCommon::readHTMLFile(address, modCommon::HeadPart));
            Platform::setBusyPointer(false);
        }
        return;
    }
    if (!address.contains(u'.'))
        return;
    Platform::setBusyPointer(true);
    lblStatusBar->setText(u"Connecting to "_s + address);
    frmHTTP *fetch = frmHTTP::instance();
    fetch->Tag = kRequestKind;
    fetch->Connect(address);
}

void frmMetaTag::pageArrived(const QString &page)
{
    lblStatusBar->setText(u"Done"_s);
    getMetaTag(page);
}

void frmMetaTag::getMetaTag(const QString &sFileData)
{
    if (sFileData.isEmpty())
        return;
    const modCommon::ShownMetaTags shown = modCommon::shownMetaTags(sFileData);
    txtTitle->setText(shown.title);
    modCommon::setMultiLineText(txtKeyword, shown.keywords);
    modCommon::setMultiLineText(txtDescription, shown.description);
    showCounters();
}

// Setting a box to the text it holds already changes no text, so the labels are set here too.
void frmMetaTag::showCounters()
{
    Label1[0]->setText(counter(u"Title"_s, txtTitle->text().size()));
    Label1[2]->setText(counter(u"Keywords"_s, modCommon::multiLineText(txtKeyword).size()));
    Label1[4]->setText(counter(u"Description"_s, modCommon::multiLineText(txtDescription).size()));
}

void frmMetaTag::Command1_Click(int index)
{
    if (index == 1) {
        close();
        return;
    }
    if (m_updating)
        return;   // a second run would insert the tags twice
    const struct { bool empty; const char16_t *message; } checks[] = {
        {txtTitle->text().isEmpty(), u"Please enter a title for your web site."},
        {txtKeyword->document()->isEmpty(), u"Please enter keywords for your web site."},
        {txtDescription->document()->isEmpty(), u"Please enter description for your web site."},
    };
    for (const auto &check : checks) {
        if (check.empty) {
            Platform::msgBox(QString::fromUtf16(check.message), Platform::Information, kBoxTitle);
            return;
        }
    }
    const bool replace = !optUpdate[0]->isChecked();
    const QString question =
        replace ? u"Are you sure you want to replace the existing Meta tag with the new meta tag for all selected HTML file(s)?"_s
                : u"Are you sure you want to insert the new Meta tags into your selected HTML file(s)?"_s;
    if (Platform::msgBox(question, Platform::YesNo | Platform::Information, u"Meta Tag"_s) != Platform::Yes)
        return;
    updateMetaTag(replace);
    Platform::setBusyPointer(false);
}

void frmMetaTag::updateMetaTag(bool nUpdateType)
{
    if (m_updating)
        return;
    m_updating = true;
    Platform::setBusyPointer(true);
    MetaTagWrites writes;
    // The targets are fixed at the start: a click during a yield may sort or list the rows anew.
    for (const QString &path : selectedPages()) {
        if (m_closeAfterUpdate)
            break;
        if (!Platform::fileExists(path))
            continue;
        lblStatusBar->setText(u"Updating file : "_s + path);
        Platform::doEvents();
        if (m_closeAfterUpdate)
            break;
        updateFile(writes, path, nUpdateType);
    }
    writes.finish();
    Platform::setBusyPointer(false);
    lblStatusBar->setText(u"Done"_s);
    m_updating = false;
    if (m_closeAfterUpdate)
        close();
}

// The paths of the selected HTML file rows, in the list's order.
QStringList frmMetaTag::selectedPages() const
{
    QStringList paths;
    for (int position = 0; position < lsvDirs->topLevelItemCount(); ++position) {
        const QTreeWidgetItem *item = lsvDirs->topLevelItem(position);
        if (item->isSelected() && FolderRows::itemKind(item) == FolderRows::Kind::HtmlFile)
            paths.append(Platform::itemTag(item));
    }
    return paths;
}

// The boxes are read again for every file: a change made during the last yield reaches it.
void frmMetaTag::updateFile(MetaTagWrites &writes, const QString &path, bool replace)
{
    const QString title = txtTitle->text();
    const QString keywords = modCommon::multiLineText(txtKeyword);
    const QString description = modCommon::multiLineText(txtDescription);
    std::optional<modCommon::MetaTagEdit> edit = replace ? modCommon::replacedMetaTags(path, title, keywords, description)
                                                         : modCommon::insertedMetaTags(path, title, keywords, description);
    if (edit)
        writes.write(std::move(*edit));
}
