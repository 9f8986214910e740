#include "pagetools/frmDoorway.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/modCommon.h"
#include "pagetools/DoorwayProfile.h"
#include "platform/LongWordWrap.h"
#include "pagetools/TypingCap.h"
#include "platform/Codec1252.h"
#include "platform/Dialogs.h"
#include "platform/Folders.h"
#include "platform/SettingsStore.h"
#include "platform/Shell.h"
#include "platform/TextFile.h"

using namespace Qt::StringLiterals;

namespace {

const QString kTitle = u"Doorway Page"_s;
const QString kCrLf = u"\r\n"_s;
const QString kSiteHistory = u"Doorway"_s;
const QString kProfileHistory = u"DoorwayProfile"_s;
const QString kOutputFolder = u"Doorway"_s;
constexpr int kSiteEntries = 30;
constexpr int kProfileEntries = 100;
constexpr int kMaxDescriptionChars = 1000;

QString maxSizeText()
{
    return QString::number(DoorwayProfile::kMaxFileBytes / (1024 * 1024)) + u" MB"_s;
}

QComboBox *historyBox(QWidget *parent, const char *name)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setCompleter(nullptr);
    return box;
}

QLineEdit *lineBox(QWidget *parent, const QString &name)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(name);
    return box;
}

QPlainTextEdit *textBox(QPlainTextEdit *box, const char *name, int lines)
{
    box->setObjectName(QString::fromLatin1(name));
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box->setMinimumHeight(box->fontMetrics().lineSpacing() * lines + 12);
    box->setTabChangesFocus(true);
    LongWordWrap::keepWrappingFast(box);
    return box;
}

} // namespace

QPointer<frmDoorway> frmDoorway::s_instance;

frmDoorway *frmDoorway::instance()
{
    if (!s_instance)
        s_instance = new frmDoorway;
    return s_instance;
}

frmDoorway *frmDoorway::loadedInstance()
{
    return s_instance;
}

frmDoorway::frmDoorway(QWidget *parent) : QDialog(parent)
{
    setObjectName(u"frmDoorway"_s);
    setWindowTitle(u"Doorway Page Creater"_s);
    setAttribute(Qt::WA_DeleteOnClose);
    buildWindow();
    Form_Load();
}

frmDoorway::~frmDoorway()
{
    Form_Unload();
}

void frmDoorway::addField(QGridLayout *grid, QWidget *field, const QString &label, const Help &help, int row,
                          int column, int span)
{
    if (!label.isEmpty()) {
        auto *caption = new QLabel(label, this);
        caption->setBuddy(field);
        grid->addWidget(caption, row, 0, Qt::AlignTop);
    }
    grid->addWidget(field, row, column, 1, span);
    field->setToolTip(help.text);
    field->installEventFilter(this);
    m_help.insert(field, help);
    if (auto *combo = qobject_cast<QComboBox *>(field)) {
        combo->lineEdit()->installEventFilter(this);
        m_help.insert(combo->lineEdit(), help);
    }
}

void frmDoorway::buildWindow()
{
    lblTitle = new QLabel(this);
    lblTitle->setObjectName(u"lblTitle"_s);
    QFont bold = lblTitle->font();
    bold.setBold(true);
    lblTitle->setFont(bold);
    lblCaption = new QLabel(this);
    lblCaption->setObjectName(u"lblCaption"_s);
    lblCaption->setWordWrap(true);
    lblCaption->setMinimumHeight(lblCaption->fontMetrics().lineSpacing() * 3);
    lblCaption->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto *fieldPanel = new QWidget(this);
    fieldPanel->setObjectName(u"fields"_s);
    auto *grid = new QGridLayout(fieldPanel);
    grid->setContentsMargins(0, 0, 0, 0);

    cboProfile = historyBox(this, "cboProfile");
    txtTitle = lineBox(this, u"txtTitle"_s);
    for (int i = 0; i < int(txtKeywords.size()); ++i)
        txtKeywords[i] = lineBox(this, u"txtKeywords_"_s + QString::number(i));
    // Typing, pastes and drops stop at the cap; a profile may set more.
    txtDescription = textBox(new TypingCap::TextBox(kMaxDescriptionChars, this), "txtDescription", 4);
    // The body gets the room the window has to spare.
    txtDescription->setFixedHeight(txtDescription->minimumHeight());
    cboSiteURL = historyBox(this, "cboSiteURL");
    txtSubTitle1 = lineBox(this, u"txtSubTitle1"_s);
    txtSubTitle2 = lineBox(this, u"txtSubTitle2"_s);
    txtSubTitle3 = lineBox(this, u"txtSubTitle3"_s);
    txtSummary = textBox(new QPlainTextEdit(this), "txtSummary", 6);
    txtImageURL = lineBox(this, u"txtImageURL"_s);
    txtCompany = lineBox(this, u"txtCompany"_s);
    txtFileLocation = lineBox(this, u"txtFileLocation"_s);

    addField(grid, cboProfile, u"Page Pro&file:"_s, {u"Page Profile"_s, u"Dooryway page profile name."_s}, 0);
    addField(grid, txtTitle, u"&Title of your Website:"_s,
             {u"Title"_s, u"Write a descriptive TITLE for your page that includes your KEYWORDS."_s}, 1);
    const Help keywordHelp{u"Keywords"_s, u"Select 8 of the most specific keywords of keyword phrases that best "
                                          "describe your website"_s};
    for (int i = 0; i < int(txtKeywords.size()); ++i)
        addField(grid, txtKeywords[i], i == 0 ? u"&Keywords:"_s : QString(), keywordHelp, 2 + i / 4, 1 + i % 4, 1);
    const struct {
        QWidget *field;
        QString label;
        Help help;
    } rows[] = {
        {txtDescription, u"&Description:"_s,
         {u"Description"_s, u"Write a descriptive sentence about your website packed with your keywords for your "
                            "DESCRIPTION Meta tag."_s}},
        {cboSiteURL, u"Website &URL:"_s, {u"WebSite URL"_s, u"Please enter your web site URL"_s}},
        {txtSubTitle1, u"Sub Title&1(Option):"_s, {u"Sub Title1"_s, u"Place you next important title phrase here"_s}},
        {txtSubTitle2, u"Sub Title&2(Option):"_s,
         {u"Sub Title2"_s, u"Place you next second important title phrase here"_s}},
        {txtSubTitle3, u"Sub Title&3(Option):"_s, {u"Sub Title3"_s, u"Place you next third important title phrase here"_s}},
        {txtSummary, u"&Body of your page:"_s,
         {u"Body of your page"_s, u"Provide your visitors with a 300-350 word article includes your keywords in "
                                  "every couple of sentences."_s}},
        {txtImageURL, u"&Logo Image Address"_s, {u"Image URL"_s, u"URL location of your company's logo image."_s}},
        {txtCompany, u"Co&mpany Name:"_s, {u"Company"_s, u"Your company name."_s}},
        {txtFileLocation, u"&Output File Location:"_s,
         {u"File Location"_s, u"A local folder where you want to save your doorway pages"_s}},
    };
    int row = 4;
    for (const auto &field : rows) {
        addField(grid, field.field, field.label, field.help, row);
        ++row;
    }
    grid->setRowStretch(9, 1);
    for (int column = 1; column <= 4; ++column)
        grid->setColumnStretch(column, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    const QStringList captions = {u"&New Page"_s, u"&Save"_s, u"Create Doorway &Page"_s, u"&Close"_s};
    for (int i = 0; i < captions.size(); ++i) {
        auto *button = new QPushButton(captions[i], this);
        button->setObjectName(u"Command1_"_s + QString::number(i));
        button->setAutoDefault(false);
        button->installEventFilter(this);
        connect(button, &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
        buttons->addWidget(button);
        Command1.append(button);
    }

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblTitle);
    layout->addWidget(lblCaption);
    layout->addWidget(fieldPanel, 1);
    layout->addLayout(buttons);

    connect(cboProfile, &QComboBox::activated, this, [this] { cboProfile_Click(); });
    resize(720, 640);
}

void frmDoorway::Form_Load()
{
    modCommon::centerForm(this);
    showIntroduction();
    const QString outputFolder = Platform::joinPath(Platform::programFolder(), kOutputFolder) + u'/';
    QDir().mkpath(outputFolder);
    txtFileLocation->setText(outputFolder);
    modCommon::loadHistory(cboSiteURL, kSiteHistory, kSiteEntries);
    modCommon::loadHistory(cboProfile, kProfileHistory, kProfileEntries);
    // A loaded list shows no entry until one is picked.
    cboSiteURL->setCurrentIndex(-1);
    cboProfile->setCurrentIndex(-1);
}

void frmDoorway::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    if (s_instance == this)
        s_instance.clear();
    modCommon::saveHistory(cboSiteURL, kSiteHistory);
    modCommon::saveHistory(cboProfile, kProfileHistory);
    Platform::saveSetting(u"Velquist"_s, u"Doorway"_s, u"DefaultDir"_s, txtFileLocation->text());
}

void frmDoorway::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    QDialog::closeEvent(event);
}

void frmDoorway::showIntroduction()
{
    lblTitle->setText(u"Dooryway Page"_s);
    lblCaption->setText(u"A doorway page is a webpage specifically designed to rank high "_s
                        u"in Search Engines for a specific keyword or keyword phrase. It is a "_s
                        u"powerful, content rich page packed with your keywords."_s);
}

// The help area follows the focus; of the buttons only "New Page" shows the introduction.
bool frmDoorway::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusIn) {
        if (const auto help = m_help.constFind(watched); help != m_help.cend()) {
            lblTitle->setText(help->title);
            lblCaption->setText(help->text);
        } else if (!Command1.isEmpty() && watched == Command1[NewPageButton]) {
            showIntroduction();
        }
    }
    return QDialog::eventFilter(watched, event);
}

// Esc would close the window and lose the page the user has typed: only Close and the window's
// own close box end it.
void frmDoorway::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Cancel)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmDoorway::Command1_Click(int index)
{
    switch (index) {
    case NewPageButton:
        NewPage();
        break;
    case SaveButton:
        saveProfile();
        break;
    case CreateButton:
        modCommon::addHistory(cboSiteURL, cboSiteURL->currentText());
        if (ValidateFields())
            CreatePage();
        break;
    case CloseButton:
        close();
        break;
    default:
        break;
    }
}

bool frmDoorway::ValidateFields()
{
    const struct {
        QWidget *field;
        QString text;
        const char *message;
    } required[] = {
        {txtTitle, txtTitle->text(), "Please enter a title of your web site."},
        {txtKeywords[0], txtKeywords[0]->text(), "Please enter at least 3 specific keywords for your web site."},
        {txtKeywords[1], txtKeywords[1]->text(), "Please enter at least 3 specific keywords for your web site."},
        {txtKeywords[2], txtKeywords[2]->text(), "Please enter at least 3 specific keywords for your web site."},
        {txtDescription, txtDescription->toPlainText(), "Please enter a description of your web site."},
        {cboSiteURL, cboSiteURL->currentText(), "Please enter a Website URL."},
        {txtSummary, txtSummary->toPlainText(), "Please enter a summary of your web site."},
        {txtCompany, txtCompany->text(), "Please enter your company name or the name of your web site."},
    };
    for (const auto &field : required) {
        if (field.text.isEmpty()) {
            Platform::msgBox(QString::fromLatin1(field.message), Platform::Information, kTitle);
            field.field->setFocus();
            return false;
        }
    }
    return true;
}

void frmDoorway::NewPage()
{
    for (QLineEdit *box : {txtTitle, txtSubTitle1, txtSubTitle2, txtSubTitle3, txtImageURL, txtCompany, txtFileLocation})
        box->clear();
    for (QLineEdit *box : txtKeywords)
        box->clear();
    txtDescription->clear();
    txtSummary->clear();
    cboProfile->setEditText(QString());
    cboSiteURL->setEditText(QString());
}

DoorwayPage::Fields frmDoorway::fields() const
{
    DoorwayPage::Fields page;
    page.title = txtTitle->text();
    for (size_t i = 0; i < txtKeywords.size(); ++i)
        page.keywords[i] = txtKeywords[i]->text();
    page.description = modCommon::multiLineText(txtDescription);
    page.siteURL = cboSiteURL->currentText();
    page.subTitles = {txtSubTitle1->text(), txtSubTitle2->text(), txtSubTitle3->text()};
    page.body = modCommon::multiLineText(txtSummary);
    page.logoURL = txtImageURL->text();
    page.company = txtCompany->text();
    page.folder = txtFileLocation->text();
    return page;
}

void frmDoorway::CreatePage()
{
    const DoorwayPage::Outcome outcome = DoorwayPage::createPages(fields());
    if (!outcome.error.isEmpty()) {
        Platform::msgBox(u"CreateDoorway_Error: "_s + outcome.error, Platform::Critical, u"Create Doorway Page"_s);
        return;
    }
    QString list;
    for (const QString &file : outcome.files)
        list += file + kCrLf;
    const int answer = Platform::msgBox(QString::number(outcome.files.size())
                                            + u" Dooryway pages have been created and saved into the following files: "_s
                                            + kCrLf + kCrLf + list + kCrLf + u"Do you want to preview your doorway page?"_s,
                                        Platform::YesNo | Platform::Information, kTitle);
    if (answer == Platform::Yes && !outcome.files.isEmpty())
        Platform::shellOpen(outcome.files.last());
}

QStringList frmDoorway::profileValues() const
{
    const DoorwayPage::Fields page = fields();
    QStringList values = {page.title};
    for (const QString &keyword : page.keywords)
        values.append(keyword);
    values << page.description << page.siteURL << page.subTitles[0] << page.subTitles[1] << page.subTitles[2]
           << page.body << page.logoURL << page.company << page.folder;
    return values;
}

void frmDoorway::setProfileValues(const QStringList &values)
{
    QList<QLineEdit *> lines = {txtTitle};
    lines.append(QList<QLineEdit *>(txtKeywords.begin(), txtKeywords.end()));
    qsizetype at = 0;
    for (QLineEdit *box : lines)
        box->setText(values.value(at++));
    modCommon::setMultiLineText(txtDescription, values.value(at++));
    cboSiteURL->setEditText(values.value(at++));
    for (QLineEdit *box : {txtSubTitle1, txtSubTitle2, txtSubTitle3})
        box->setText(values.value(at++));
    modCommon::setMultiLineText(txtSummary, values.value(at++));
    for (QLineEdit *box : {txtImageURL, txtCompany, txtFileLocation})
        box->setText(values.value(at++));
}

void frmDoorway::saveProfile()
{
    const QString title = u"Save Profile"_s;
    QString name = cboProfile->currentText();
    if (name.isEmpty()) {
        name = Platform::inputBox(u"Please specify a new Doorway Page profile name:"_s, u"New Doorway Page"_s,
                                  u"New Doorway Page"_s);
        if (name.isEmpty())
            return;
    }
    if (!Platform::isSafeFileName(name)) {
        Platform::msgBox(u"The profile name '"_s + name + u"' cannot be used as a file name."_s, Platform::Critical, title);
        return;
    }
    // The names are listed in the history file, in its 8-bit code page.
    if (const QString missing = Platform::charsWithoutAnsiByte(name); !missing.isEmpty()) {
        Platform::msgBox(u"The profile name '"_s + name
                             + u"' cannot be kept in the list of profiles, whose file can not hold these characters: "_s
                             + missing,
                         Platform::Critical, title);
        return;
    }
    // A profile too large to be read back is not written.
    if (DoorwayProfile::storedSize(profileValues()) > DoorwayProfile::kMaxFileBytes) {
        Platform::msgBox(u"The profile '"_s + name + u"' would be larger than "_s + maxSizeText() + u" and is not saved."_s,
                         Platform::Critical, title);
        return;
    }
    if (cboProfile->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive) >= 0) {
        if (Platform::msgBox(u"The profile name '"_s + name + u"' already exist, do you want to overwrite ?"_s,
                             Platform::YesNo | Platform::Information, kTitle)
            != Platform::Yes)
            return;
    } else {
        cboProfile->insertItem(0, name);
    }
    cboProfile->setEditText(name);
    const QString folder = DoorwayProfile::folder();
    if (!QDir().mkpath(folder)) {
        Platform::msgBox(u"The folder could not be created: "_s + folder, Platform::Critical, title);
        return;
    }
    if (!DoorwayProfile::write(folder + name, profileValues()))
        Platform::msgBox(u"The profile could not be written: "_s + folder + name, Platform::Critical, title);
}

void frmDoorway::cboProfile_Click()
{
    const QString name = cboProfile->currentText();
    const QString file = DoorwayProfile::folder() + name;
    if (name.isEmpty() || !Platform::isSafeFileName(name) || !Platform::fileExists(file))
        return;
    if (DoorwayProfile::tooLarge(file)) {
        Platform::msgBox(u"The profile '"_s + name + u"' is larger than "_s + maxSizeText() + u" and is not read: "_s + file,
                         Platform::Information, u"Get Profile"_s);
        return;
    }
    const std::optional<QStringList> values = DoorwayProfile::read(file);
    if (!values) {
        Platform::msgBox(u"The profile could not be read: "_s + file, Platform::Information, u"Get Profile"_s);
        return;
    }
    setProfileValues(*values);
}
