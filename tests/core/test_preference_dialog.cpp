// The preferences dialog: what it shows, the checks on OK, what it stores and what Cancel leaves.
#include "core/frmPreference.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

#include "core/clsPreference.h"
#include "platform/SettingsStore.h"
#include "support/TestEnvironment.h"
#include "support/UserInput.h"

namespace {

const QString kApp = QStringLiteral("Velquist");

class PreferenceDialog : public TestSupport::VelquistTest {
protected:
    void SetUp() override { ASSERT_TRUE(myPreference().GetSettings()); }

    static void store(const QString &key, const QString &value)
    {
        ASSERT_TRUE(Platform::saveSetting(kApp, QStringLiteral("Preference"), key, value));
    }
    static std::optional<QString> stored(const QString &key)
    {
        return Platform::findSetting(kApp, QStringLiteral("Preference"), key);
    }
    // Presses OK expecting the dialog to refuse with `message` (title "Preference").
    void expectRefusal(frmPreference &dialog, const QString &message, int tab)
    {
        env.dialogs.clearLog();
        env.dialogs.answerMessage(Platform::Ok);
        dialog.Command1_Click(0);
        ASSERT_EQ(env.dialogs.shown().size(), 1);
        EXPECT_EQ(env.dialogs.shown()[0].prompt, message);
        EXPECT_EQ(env.dialogs.shown()[0].title, QStringLiteral("Preference"));
        EXPECT_EQ(dialog.SSTab1->currentIndex(), tab);
        EXPECT_NE(dialog.result(), QDialog::Accepted);
    }
    static void pressOk(frmPreference &dialog)
    {
        dialog.Command1_Click(0);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    }
    static void chooseProxy(frmPreference &dialog)
    {
        dialog.optProxy[2]->setChecked(true);
        dialog.optProxy_Click(2);
    }
};

const QString kTimeOutMessage = QStringLiteral("Time out setting must be between 1 to 200 seconds !");
const QString kConnectionsMessage =
    QStringLiteral("Invalid value for connection setting. The value for this setting must greater than 1 !");

} // namespace

TEST_F(PreferenceDialog, ShowsTheSettingsAndTreatsEveryNonProxyAccessAsDirect)
{
    for (const char *stored : {"0", "1", "7"}) {
        myPreference().setAccessType(QString::fromLatin1(stored).toInt());
        myPreference().setProxy(QStringLiteral("p.example"));
        myPreference().setPort(8080);
        frmPreference dialog;
        EXPECT_TRUE(dialog.optProxy[1]->isChecked()) << stored;
        EXPECT_EQ(myPreference().AccessType(), 1) << stored;
        EXPECT_FALSE(dialog.txtProxy->isEnabled());
        EXPECT_TRUE(dialog.txtPort->isEnabled());
        EXPECT_EQ(dialog.txtProxy->text(), QStringLiteral("p.example"));
        EXPECT_EQ(dialog.txtPort->text(), QStringLiteral("8080"));
        EXPECT_EQ(dialog.txtTimeOut->text(), QStringLiteral("30"));
        EXPECT_EQ(dialog.txtConnections->text(), QStringLiteral("9"));
        EXPECT_EQ(dialog.SSTab1->currentIndex(), 0);
        EXPECT_FALSE(dialog.m_intConnectionsEdited);
    }
    myPreference().setAccessType(2);
    frmPreference proxied;
    EXPECT_TRUE(proxied.optProxy[2]->isChecked());
    EXPECT_TRUE(proxied.txtProxy->isEnabled());
}

TEST_F(PreferenceDialog, TimeOutIsCheckedAfterRounding)
{
    frmPreference dialog;
    for (const char *text : {"0.5", "201", "abc", "", "-3"}) {
        dialog.txtTimeOut->setText(QString::fromLatin1(text));
        expectRefusal(dialog, kTimeOutMessage, 1);
    }
    EXPECT_EQ(myPreference().TimeOut(), 30);
    dialog.txtTimeOut->setText(QStringLiteral("12abc"));
    pressOk(dialog);
    EXPECT_EQ(myPreference().TimeOut(), 12);
    EXPECT_EQ(stored(QStringLiteral("TimeOut")), QStringLiteral("12"));

    frmPreference again;
    again.txtTimeOut->setText(QStringLiteral("200"));
    pressOk(again);
    EXPECT_EQ(myPreference().TimeOut(), 200);
}

TEST_F(PreferenceDialog, ManyConnectionsAreQuestionedOnlyWhenTyped)
{
    myPreference().setConnections(60);
    frmPreference loaded;
    pressOk(loaded);   // no question: the value was not typed in this showing
    EXPECT_EQ(myPreference().Connections(), 60);

    frmPreference typed;
    typed.txtConnections->setText(QStringLiteral("70"));
    typed.txtConnections_KeyPress();
    env.dialogs.answerMessage(Platform::No);
    typed.Command1_Click(0);
    EXPECT_TRUE(env.dialogs.wasShown(QStringLiteral("Note: You have tried to setup more than 50 connections, please")));
    EXPECT_NE(typed.result(), QDialog::Accepted);
    EXPECT_EQ(typed.SSTab1->currentIndex(), 1);
    EXPECT_EQ(myPreference().Connections(), 60);
    env.dialogs.answerMessage(Platform::Yes);
    pressOk(typed);
    EXPECT_EQ(myPreference().Connections(), 70);
}

TEST_F(PreferenceDialog, ConnectionsBelowOneOrBeyondTheSettingAreRefused)
{
    frmPreference dialog;
    for (const char *text : {"0", "x", "40000"}) {
        dialog.txtConnections->setText(QString::fromLatin1(text));
        expectRefusal(dialog, kConnectionsMessage, 1);
    }
    EXPECT_EQ(myPreference().Connections(), 9);
}

TEST_F(PreferenceDialog, ProxyAddressLosesOnlyALowerCaseScheme)
{
    const struct { const char *typed, *kept; } cases[] = {
        {"http://p.example", "p.example"},
        {"HTTP://p", "HTTP://p"},
        {"x/http://y", "//y"},
        {"proxy.example", "proxy.example"},
    };
    for (const auto &c : cases) {
        frmPreference dialog;
        chooseProxy(dialog);
        dialog.txtProxy->setText(QString::fromLatin1(c.typed));
        dialog.txtPort->setText(QStringLiteral("3128"));
        pressOk(dialog);
        EXPECT_EQ(myPreference().Proxy(), QString::fromLatin1(c.kept)) << c.typed;
        EXPECT_EQ(stored(QStringLiteral("Proxy")), QString::fromLatin1(c.kept));
        EXPECT_EQ(stored(QStringLiteral("Port")), QStringLiteral("3128"));
        EXPECT_EQ(myPreference().AccessType(), 2);
    }
}

TEST_F(PreferenceDialog, ProxyWithoutAddressOrUsablePortStoresNothing)
{
    store(QStringLiteral("Proxy"), QStringLiteral("old.example"));
    myPreference().setProxy(QStringLiteral("old.example"));
    frmPreference dialog;
    chooseProxy(dialog);
    dialog.txtProxy->clear();
    expectRefusal(dialog, QStringLiteral("Invalid Proxy Server address."), 0);
    EXPECT_EQ(env.dialogs.shown()[0].style & Platform::Critical, Platform::Critical);

    dialog.txtProxy->setText(QStringLiteral("new.example"));
    for (const char *port : {"", "0", "70000"}) {
        dialog.txtPort->setText(QString::fromLatin1(port));
        expectRefusal(dialog, QStringLiteral("Invalid Proxy Port Number."), 0);
    }
    EXPECT_EQ(myPreference().Proxy(), QStringLiteral("old.example"));
    EXPECT_EQ(stored(QStringLiteral("Proxy")), QStringLiteral("old.example"));
    EXPECT_EQ(myPreference().AccessType(), 1);
}

TEST_F(PreferenceDialog, DirectConnectionKeepsProxyAndPort)
{
    myPreference().setAccessType(2);
    myPreference().setProxy(QStringLiteral("p.example"));
    myPreference().setPort(8080);
    frmPreference dialog;
    dialog.optProxy[1]->setChecked(true);
    dialog.optProxy_Click(1);
    EXPECT_FALSE(dialog.txtProxy->isEnabled());
    EXPECT_TRUE(dialog.txtPort->isEnabled());
    dialog.txtProxy->setText(QStringLiteral("typed.example"));
    dialog.txtPort->setText(QStringLiteral("1"));
    pressOk(dialog);
    EXPECT_EQ(myPreference().AccessType(), 1);
    EXPECT_EQ(myPreference().Proxy(), QStringLiteral("p.example"));
    EXPECT_EQ(myPreference().Port(), 8080);
}

TEST_F(PreferenceDialog, CancelLeavesEverySettingAsItWas)
{
    frmPreference dialog;
    chooseProxy(dialog);
    dialog.txtProxy->setText(QStringLiteral("p.example"));
    dialog.txtTimeOut->setText(QStringLiteral("99"));
    dialog.Command1_Click(1);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(myPreference().AccessType(), 1);
    EXPECT_EQ(myPreference().Proxy(), QString());
    EXPECT_EQ(myPreference().TimeOut(), 30);
    EXPECT_FALSE(stored(QStringLiteral("AccessType")).has_value());
}

TEST_F(PreferenceDialog, EnterInABoxIsOk)
{
    frmPreference dialog;
    dialog.show();
    dialog.txtTimeOut->setText(QStringLiteral("45"));
    QTest::keyClick(dialog.txtTimeOut, Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(myPreference().TimeOut(), 45);
}

TEST_F(PreferenceDialog, OkStoresProfileLoginAndOptions)
{
    frmPreference dialog;
    dialog.txtUsername->setText(QStringLiteral("ann"));
    dialog.txtPassword->clear();
    dialog.txtYourName->setText(QStringLiteral("Ann"));
    dialog.txtEmail->setText(QStringLiteral("ann@example.com"));
    dialog.txtCompany->setText(QStringLiteral("Example Ltd"));
    dialog.txtSMTPServer->setText(QStringLiteral("mail.example.com"));
    dialog.txtSiteUrl->setText(QStringLiteral("http://www.example.com"));
    dialog.txtLogoURL->setText(QStringLiteral("www.example.com/logo.gif"));
    dialog.optLogoPosition[1]->setChecked(true);
    dialog.chkBlockConfirmEmail->setChecked(true);
    dialog.chkDontClearFields->setChecked(true);
    dialog.chkPromptConnection->setChecked(false);
    pressOk(dialog);
    const clsPreference &pref = myPreference();
    EXPECT_EQ(pref.HTTPUserName(), QStringLiteral("ann"));
    EXPECT_EQ(pref.HTTPLogin(), QString());
    EXPECT_EQ(pref.SiteURL(), QStringLiteral("www.example.com"));
    EXPECT_EQ(pref.LogoURL(), QStringLiteral("www.example.com/logo.gif"));
    EXPECT_EQ(pref.LogoPosition(), 1);
    EXPECT_EQ(pref.BlockSpam(), 1);
    EXPECT_EQ(pref.DontClearFields(), 1);
    EXPECT_EQ(pref.PromptConnection(), 0);
    EXPECT_EQ(stored(QStringLiteral("Auth_Username")), QStringLiteral("ann"));
    EXPECT_EQ(stored(QStringLiteral("SMTP Server")), QStringLiteral("mail.example.com"));
    EXPECT_EQ(stored(QStringLiteral("DontClearFields")), QStringLiteral("1"));

    frmPreference withPassword;
    EXPECT_TRUE(withPassword.chkDontClearFields->isChecked());
    EXPECT_TRUE(withPassword.optLogoPosition[1]->isChecked());
    withPassword.txtPassword->setText(QStringLiteral("pw"));
    pressOk(withPassword);
    EXPECT_EQ(myPreference().HTTPLogin(), QStringLiteral("YW5uOnB3"));   // "ann:pw"
}

TEST_F(PreferenceDialog, AllowedServersAreListedBesideTheLoginAndRemoveTakesThemBack)
{
    store(QStringLiteral("AuthenticationHost"), QStringLiteral("a.example:80"));   // the earlier version's key
    store(QStringLiteral("AuthenticationHosts"), QStringLiteral("a.example:80 b.example:8080 127.0.0.1:81"));
    ASSERT_TRUE(myPreference().GetSettings());
    const auto listed = [](const frmPreference &dialog) {
        QStringList hosts;
        for (int row = 0; row < dialog.lstAuthenticationHosts->count(); ++row)
            hosts << dialog.lstAuthenticationHosts->item(row)->text();
        return hosts;
    };
    // Removes the server in the given row with the mouse, as a user does.
    const auto removeRow = [](frmPreference &dialog, int row) {
        TestSupport::clickRow(dialog.lstAuthenticationHosts, dialog.lstAuthenticationHosts->item(row));
        EXPECT_TRUE(dialog.cmdRemoveHost->isEnabled());
        TestSupport::clickOn(dialog.cmdRemoveHost);
    };
    const QStringList all = {QStringLiteral("a.example:80"), QStringLiteral("b.example:8080"), QStringLiteral("127.0.0.1:81")};

    frmPreference cancelled;
    ASSERT_TRUE(TestSupport::showWindow(&cancelled));
    TestSupport::clickTab(cancelled.SSTab1, 1);
    EXPECT_EQ(listed(cancelled), all);
    EXPECT_FALSE(cancelled.cmdRemoveHost->isEnabled());
    removeRow(cancelled, 1);
    EXPECT_EQ(listed(cancelled), QStringList({all[0], all[2]}));
    TestSupport::clickOn(cancelled.Command1[1]);
    EXPECT_EQ(myPreference().AuthenticationHosts(), all);

    frmPreference dialog;
    ASSERT_TRUE(TestSupport::showWindow(&dialog));
    TestSupport::clickTab(dialog.SSTab1, 1);
    for (int i = 0; i < 3; ++i)
        removeRow(dialog, 0);
    EXPECT_TRUE(listed(dialog).isEmpty());
    EXPECT_FALSE(dialog.cmdRemoveHost->isEnabled());
    TestSupport::clickOn(dialog.Command1[0]);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(myPreference().AuthenticationHosts().isEmpty());
    EXPECT_EQ(stored(QStringLiteral("AuthenticationHosts")), QString());

    // A restart keeps the list empty: the earlier version's key does not come back.
    ASSERT_TRUE(myPreference().GetSettings());
    EXPECT_TRUE(myPreference().AuthenticationHosts().isEmpty());
    frmPreference reopened;
    EXPECT_TRUE(listed(reopened).isEmpty());
}
