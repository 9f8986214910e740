#include "core/frmPreference.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/clsPreference.h"
#include "core/modCommon.h"
#include "platform/Dialogs.h"
#include "platform/Numbers.h"
#include "platform/SettingsStore.h"
#include "platform/modBase64Encode.h"

namespace {

const QString kTitle = QStringLiteral("Preference");
const QString kCrLf = QStringLiteral("\r\n");

// The number at the start of a box, rounded as the settings take it.
double leadingWholeNumber(const QLineEdit *box)
{
    return Platform::roundHalfEven(Platform::leadingNumber(box->text()));
}

// The text after the first "://", or the whole text when it holds none.
QString withoutScheme(const QString &text)
{
    const qsizetype at = text.indexOf(QLatin1String("://"));
    return at < 0 ? text : text.mid(at + 3);
}

QLineEdit *lineEdit(QWidget *parent, const QString &name)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(name);
    return box;
}

QLabel *wrappedLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

} // namespace

frmPreference::frmPreference(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmPreference"));
    setWindowTitle(QStringLiteral("Preferences"));
    setModal(true);

    SSTab1 = new QTabWidget(this);
    SSTab1->setObjectName(QStringLiteral("SSTab1"));
    SSTab1->addTab(buildServerTab(), QStringLiteral("Server Setting"));
    SSTab1->addTab(buildConnectionsTab(), QStringLiteral("Connections"));
    SSTab1->addTab(buildProfileTab(), QStringLiteral("User Profile"));
    SSTab1->addTab(buildOptionsTab(), QStringLiteral("Options"));

    Command1 = {new QPushButton(QStringLiteral("&OK"), this), new QPushButton(QStringLiteral("&Cancel"), this)};
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (int i = 0; i < Command1.size(); ++i) {
        Command1[i]->setObjectName(QStringLiteral("Command1_%1").arg(i));
        connect(Command1[i], &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
        buttons->addWidget(Command1[i]);
    }
    // Enter in any box means OK.
    Command1[0]->setDefault(true);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(SSTab1, 1);
    layout->addLayout(buttons);

    for (int index : {1, 2})
        connect(optProxy[index], &QRadioButton::clicked, this, [this, index] { optProxy_Click(index); });
    connect(txtConnections, &QLineEdit::textEdited, this, [this] { txtConnections_KeyPress(); });

    Form_Load();
}

QWidget *frmPreference::buildServerTab()
{
    auto *page = new QWidget;
    auto *proxyFrame = new QGroupBox(QStringLiteral("Proxy Server"), page);
    optProxy.insert(1, new QRadioButton(QStringLiteral("Direct to internet"), proxyFrame));
    optProxy.insert(2, new QRadioButton(QStringLiteral("Proxy Server  http://"), proxyFrame));
    auto *group = new QButtonGroup(proxyFrame);
    for (int index : {1, 2}) {
        optProxy[index]->setObjectName(QStringLiteral("optProxy_%1").arg(index));
        group->addButton(optProxy[index], index);
    }
    txtProxy = lineEdit(proxyFrame, QStringLiteral("txtProxy"));
    txtPort = lineEdit(proxyFrame, QStringLiteral("txtPort"));
    auto *proxyRow = new QHBoxLayout;
    proxyRow->addWidget(optProxy[2]);
    proxyRow->addWidget(txtProxy, 1);
    proxyRow->addWidget(new QLabel(QStringLiteral("Port:"), proxyFrame));
    proxyRow->addWidget(txtPort);
    auto *proxyLayout = new QVBoxLayout(proxyFrame);
    proxyLayout->addWidget(optProxy[1]);
    proxyLayout->addLayout(proxyRow);
    proxyLayout->addWidget(wrappedLabel(
        QStringLiteral("A proxy server is a computer of your network that connects to the Internet on behalf of the "
                       "other computers. If you are not sure whether you need one, please ask your network "
                       "administrator or your Internet service provider."),
        proxyFrame));

    auto *smtpFrame = new QGroupBox(QStringLiteral("SMTP Mail Server"), page);
    txtSMTPServer = lineEdit(smtpFrame, QStringLiteral("txtSMTPServer"));
    auto *smtpLayout = new QFormLayout(smtpFrame);
    smtpLayout->addRow(QStringLiteral("Out going SMTP Mail Server:"), txtSMTPServer);

    auto *layout = new QVBoxLayout(page);
    layout->addWidget(proxyFrame);
    layout->addWidget(smtpFrame);
    layout->addStretch(1);
    return page;
}

QWidget *frmPreference::buildConnectionsTab()
{
    auto *page = new QWidget;
    auto *timeFrame = new QGroupBox(QStringLiteral("Time Out"), page);
    txtTimeOut = lineEdit(timeFrame, QStringLiteral("txtTimeOut"));
    auto *timeLayout = new QHBoxLayout(timeFrame);
    timeLayout->addWidget(new QLabel(QStringLiteral("How long should it wait for a server to respond: "), timeFrame));
    timeLayout->addWidget(txtTimeOut);
    timeLayout->addWidget(new QLabel(QStringLiteral("Seconds"), timeFrame));

    auto *authFrame = new QGroupBox(QStringLiteral("Authentication"), page);
    txtUsername = lineEdit(authFrame, QStringLiteral("txtUsername"));
    txtPassword = lineEdit(authFrame, QStringLiteral("txtPassword"));
    txtPassword->setEchoMode(QLineEdit::Password);
    auto *authLayout = new QFormLayout(authFrame);
    authLayout->addRow(wrappedLabel(
        QStringLiteral("If your server or proxy requires authentication before allowing access to the Internet, "
                       "please enter your Username and Password below:"),
        authFrame));
    authLayout->addRow(QStringLiteral("Username:"), txtUsername);
    authLayout->addRow(QStringLiteral("Password:"), txtPassword);
    lstAuthenticationHosts = new QListWidget(authFrame);
    lstAuthenticationHosts->setObjectName(QStringLiteral("lstAuthenticationHosts"));
    lstAuthenticationHosts->setMaximumHeight(lstAuthenticationHosts->fontMetrics().height() * 5);
    cmdRemoveHost = new QPushButton(QStringLiteral("&Remove"), authFrame);
    cmdRemoveHost->setObjectName(QStringLiteral("cmdRemoveHost"));
    cmdRemoveHost->setAutoDefault(false);
    auto *hostsRow = new QHBoxLayout;
    hostsRow->addWidget(lstAuthenticationHosts, 1);
    hostsRow->addWidget(cmdRemoveHost, 0, Qt::AlignTop);
    authLayout->addRow(wrappedLabel(QStringLiteral("Servers allowed to receive the login:"), authFrame), hostsRow);
    connect(lstAuthenticationHosts, &QListWidget::itemSelectionChanged, this,
            [this] { cmdRemoveHost->setEnabled(!lstAuthenticationHosts->selectedItems().isEmpty()); });
    connect(cmdRemoveHost, &QPushButton::clicked, this, &frmPreference::cmdRemoveHost_Click);

    auto *connFrame = new QGroupBox(QStringLiteral("Connections"), page);
    txtConnections = lineEdit(connFrame, QStringLiteral("txtConnections"));
    auto *connRow = new QHBoxLayout;
    connRow->addWidget(txtConnections);
    connRow->addWidget(new QLabel(QStringLiteral("Connections"), connFrame));
    connRow->addStretch(1);
    auto *connLayout = new QVBoxLayout(connFrame);
    connLayout->addWidget(wrappedLabel(
        QStringLiteral("Number of connections you want to make: (More connections will use more system resources "
                       "and internet bandwidth. Recommand maximum 50 connections.)"),
        connFrame));
    connLayout->addLayout(connRow);

    auto *layout = new QVBoxLayout(page);
    layout->addWidget(timeFrame);
    layout->addWidget(authFrame);
    layout->addWidget(connFrame);
    layout->addStretch(1);
    return page;
}

QWidget *frmPreference::buildProfileTab()
{
    auto *page = new QWidget;
    txtYourName = lineEdit(page, QStringLiteral("txtYourName"));
    txtEmail = lineEdit(page, QStringLiteral("txtEmail"));
    txtCompany = lineEdit(page, QStringLiteral("txtCompany"));
    txtSiteUrl = lineEdit(page, QStringLiteral("txtSiteUrl"));
    txtLogoURL = lineEdit(page, QStringLiteral("txtLogoURL"));
    optLogoPosition.insert(0, new QRadioButton(QStringLiteral("Top"), page));
    optLogoPosition.insert(1, new QRadioButton(QStringLiteral("Bottom"), page));
    auto *group = new QButtonGroup(page);
    auto *positions = new QHBoxLayout;
    for (int index : {0, 1}) {
        optLogoPosition[index]->setObjectName(QStringLiteral("optLogoPosition_%1").arg(index));
        group->addButton(optLogoPosition[index], index);
        positions->addWidget(optLogoPosition[index]);
    }
    positions->addStretch(1);

    auto *form = new QFormLayout(page);
    form->addRow(wrappedLabel(QStringLiteral("The information you specified here will be used to customize your "
                                             "reports. If you generate reports for clients, please enter your "
                                             "details below:"),
                              page));
    form->addRow(QStringLiteral("Your Name:"), txtYourName);
    form->addRow(QStringLiteral("Email:"), txtEmail);
    form->addRow(QStringLiteral("Company Name:"), txtCompany);
    form->addRow(QStringLiteral("Website URL http://"), txtSiteUrl);
    form->addRow(QStringLiteral("Logo URL http://"), txtLogoURL);
    form->addRow(QStringLiteral("Logo Position:"), positions);
    return page;
}

QWidget *frmPreference::buildOptionsTab()
{
    auto *page = new QWidget;
    chkBlockConfirmEmail = new QCheckBox(QStringLiteral("Block auto-response comfirmation email from FFA Link Sites"), page);
    chkBlockConfirmEmail->setObjectName(QStringLiteral("chkBlockConfirmEmail"));
    chkDontClearFields = new QCheckBox(QStringLiteral("Don't clear fields when creating a new web site file."), page);
    chkDontClearFields->setObjectName(QStringLiteral("chkDontClearFields"));
    chkPromptConnection = new QCheckBox(QStringLiteral("Prompt for confirm internet connection before processing"), page);
    chkPromptConnection->setObjectName(QStringLiteral("chkPromptConnection"));
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(chkBlockConfirmEmail);
    layout->addWidget(wrappedLabel(
        QStringLiteral("(Please check this box if you don't wish to receive auto-confirmation emails from FFA sites. "
                       "Many FFA sites send auto-SPAM advertising emails to promote their sites.)"),
        page));
    layout->addWidget(chkDontClearFields);
    layout->addWidget(chkPromptConnection);
    layout->addStretch(1);
    return page;
}

void frmPreference::Form_Load()
{
    clsPreference &pref = myPreference();
    modCommon::centerForm(this);
    SSTab1->setCurrentIndex(0);
    m_intConnectionsEdited = false;
    // No option stands for any other stored value: it is shown, and held, as a direct connection.
    if (pref.AccessType() != 2)
        pref.setAccessType(1);
    optProxy[pref.AccessType()]->setChecked(true);
    optProxy_Click(pref.AccessType());
    txtProxy->setText(pref.Proxy());
    txtPort->setText(QString::number(pref.Port()));
    txtTimeOut->setText(QString::number(pref.TimeOut()));
    txtConnections->setText(QString::number(pref.Connections()));
    txtUsername->setText(pref.HTTPUserName());
    txtPassword->setText(pref.HTTPPassword());
    lstAuthenticationHosts->clear();
    lstAuthenticationHosts->addItems(pref.AuthenticationHosts());
    cmdRemoveHost->setEnabled(false);
    txtYourName->setText(pref.Name());
    txtEmail->setText(pref.Email());
    txtCompany->setText(pref.Company());
    txtSMTPServer->setText(pref.SMTPServer());
    txtSiteUrl->setText(pref.SiteURL());
    txtLogoURL->setText(pref.LogoURL());
    optLogoPosition[pref.LogoPosition() == 0 ? 0 : 1]->setChecked(true);
    chkBlockConfirmEmail->setChecked(pref.BlockSpam() == 1);
    chkDontClearFields->setChecked(pref.DontClearFields() == 1);
    chkPromptConnection->setChecked(pref.PromptConnection() == 1);
}

void frmPreference::optProxy_Click(int index)
{
    // Held here until OK, so that Cancel leaves the connection setting as it was.
    m_nAccessType = index;
    txtProxy->setEnabled(index == 2);
}

void frmPreference::txtConnections_KeyPress()
{
    m_intConnectionsEdited = true;
}

void frmPreference::cmdRemoveHost_Click()
{
    qDeleteAll(lstAuthenticationHosts->selectedItems());
}

void frmPreference::Command1_Click(int index)
{
    if (index == 0) {
        if (!acceptValues())
            return;
        myPreference().SaveSettings();
        accept();
    } else {
        reject();
    }
}

void frmPreference::refuse(const QString &message, int icon, int tab, QWidget *focus)
{
    Platform::msgBox(message, icon, kTitle);
    SSTab1->setCurrentIndex(tab);
    focus->setFocus();
}

bool frmPreference::acceptValues()
{
    // Checked after rounding: a fraction below one second would be stored as 0.
    const double timeOut = leadingWholeNumber(txtTimeOut);
    if (timeOut < 1 || timeOut > 200) {
        refuse(QStringLiteral("Time out setting must be between 1 to 200 seconds !"), Platform::Information, 1, txtTimeOut);
        return false;
    }
    const double connections = leadingWholeNumber(txtConnections);
    if (connections < 1 || connections > 32767) {
        refuse(QStringLiteral("Invalid value for connection setting. The value for this setting must greater than 1 !"),
               Platform::Information, 1, txtConnections);
        return false;
    }
    if (connections > 50 && m_intConnectionsEdited) {
        const QString question = QStringLiteral("Note: You have tried to setup more than 50 connections, ")
            + QStringLiteral("please do this ONLY if you are sure there is sufficient memory in your PC and you have "
                             "a super faster internet connection!")
            + kCrLf + kCrLf + QStringLiteral("Are you sure you want to keep this setting?");
        if (Platform::msgBox(question, Platform::YesNo | Platform::Information, kTitle) != Platform::Yes) {
            SSTab1->setCurrentIndex(1);
            txtConnections->setFocus();
            return false;
        }
    }

    clsPreference &pref = myPreference();
    if (m_nAccessType == 2) {
        QString proxy = txtProxy->text();
        if (proxy.contains(QLatin1String("http://"))) {
            proxy = proxy.mid(7);
        } else if (proxy.isEmpty()) {
            refuse(QStringLiteral("Invalid Proxy Server address."), Platform::Critical, 0, txtProxy);
            return false;
        }
        const double port = txtPort->text().isEmpty() ? 0 : leadingWholeNumber(txtPort);
        if (port <= 0 || port > 65535) {
            refuse(QStringLiteral("Invalid Proxy Port Number."), Platform::Critical, 0, txtPort);
            return false;
        }
        pref.setProxy(proxy);
        pref.setPort(static_cast<int>(port));
        const QString app = QStringLiteral("Velquist");
        const QString section = QStringLiteral("Preference");
        Platform::saveSetting(app, section, QStringLiteral("Proxy"), pref.Proxy());
        Platform::saveSetting(app, section, QStringLiteral("Port"), QString::number(pref.Port()));
    }

    pref.setAccessType(m_nAccessType);
    pref.setTimeOut(static_cast<int>(timeOut));
    pref.setConnections(static_cast<int>(connections));
    pref.setHTTPUserName(txtUsername->text());
    pref.setHTTPPassword(txtPassword->text());
    if (!txtUsername->text().isEmpty() && !txtPassword->text().isEmpty())
        pref.setHTTPLogin(modBase64Encode::base64Encode(txtUsername->text() + QLatin1Char(':') + txtPassword->text()));
    else
        pref.setHTTPLogin(QString());
    QStringList allowedHosts;
    for (int row = 0; row < lstAuthenticationHosts->count(); ++row)
        allowedHosts << lstAuthenticationHosts->item(row)->text();
    pref.setAuthenticationHosts(allowedHosts);
    pref.setName(txtYourName->text());
    pref.setEmail(txtEmail->text());
    pref.setCompany(txtCompany->text());
    pref.setSiteURL(withoutScheme(txtSiteUrl->text()));
    pref.setSMTPServer(txtSMTPServer->text());
    pref.setLogoURL(withoutScheme(txtLogoURL->text()));
    pref.setLogoPosition(optLogoPosition[0]->isChecked() ? 0 : 1);
    pref.setBlockSpam(chkBlockConfirmEmail->isChecked() ? 1 : 0);
    pref.setDontClearFields(chkDontClearFields->isChecked() ? 1 : 0);
    pref.setPromptConnection(chkPromptConnection->isChecked() ? 1 : 0);
    return true;
}
