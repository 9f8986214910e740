// Emptying the site-detail controls and the check that runs before a site is saved.
#include "mainwindow/frmMain.h"

#include <stdexcept>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTabWidget>

#include "platform/Dialogs.h"
#include "sitedata/EngineCollection.h"
#include "sitedata/EngineListView.h"
#include "platform/KeyedListView.h"
#include "sitedata/clsMain.h"

namespace {

const QString kCrLf = QStringLiteral("\r\n");

} // namespace

void frmMain::clearWebsiteFields()
{
    txtSiteTitle->clear();
    txtSiteKeywords->clear();
    txtSiteDescription->clear();
    cboLanguage->setCurrentText(QStringLiteral("English"));
    cboWebType->setCurrentIndex(-1);
    cboWebType->setCurrentText(QString());

    // Selected holds exactly for the engines listed as selected: both go together.
    lsvSelectedEngines->clear();
    for (clsEngines &engine : myEngines())
        engine.Selected = false;
    lsvSiteURLs->clear();
    lsvReports->clear();

    lstMainCategory->clearSelection();
    lstCategory->clear();

    cboCustomEngines->setCurrentIndex(-1);
    txtCustomCategory->clear();
    lsvCustomMainCategory->clear();
    lsvCustomSubCategory->clear();
    // The previous site's directory categories and space ids must not be saved into the next one.
    if (m_clsMain) {
        for (CustomEngineEntry &entry : m_clsMain->myCustomEngine) {
            entry.Category.clear();
            entry.SpaceID.clear();
        }
    }

    for (QLineEdit *box : {txtName, txtEmail, txtCompany, txtAddress, txtCity, txtPostcode, txtState})
        box->clear();
    cboCountry->setCurrentIndex(-1);
    cboCountry->setCurrentText(QString());
    for (QLineEdit *box : {txtPhone, txtFax, txtPassword})
        box->clear();

    txtURLTitle->clear();
    txtURLKeyword->clear();
    txtURLDescription->clear();
    Label1[0]->setText(QStringLiteral("Title:"));
    Label1[2]->setText(QStringLiteral("Keywords:"));
    Label1[4]->setText(QStringLiteral("Description:"));
}

bool frmMain::isValidFields()
{
    struct Check {
        bool failed;
        const char *message;
        int tab;
        QWidget *focus;
    };
    try {
        bool categoryChosen = false;
        for (int i = 0; i < lstCategory->count(); ++i)
            categoryChosen = categoryChosen || lstCategory->item(i)->isSelected();
        const QString email = txtEmail->text();
        const Check checks[] = {
            {txtSiteTitle->text().isEmpty(), "Please enter your web site title.", 0, txtSiteTitle},
            {txtSiteKeywords->toPlainText().isEmpty(), "Please enter the keywords.", 0, txtSiteKeywords},
            {txtSiteDescription->toPlainText().isEmpty(), "Please enter your web site description.", 0, txtSiteDescription},
            {cboWebType->currentText().isEmpty(), "Please select your web type.", 0, cboWebType},
            {lsvSiteURLs->topLevelItemCount() == 0, "Please enter your web site URL.", 1, lsvSiteURLs},
            {txtName->text().isEmpty(), "Please enter your contact name.", 2, txtName},
            {email.isEmpty(), "Please enter contact email address.", 2, txtEmail},
            {!email.contains(QLatin1Char('@')), "Invalid email address. Please check your email address", 2, txtEmail},
            {txtCompany->text().isEmpty(), "Please enter your company name, or your own name if it is personal site.", 2,
             txtCompany},
            {txtAddress->text().isEmpty(), "Please enter your contact address.", 2, txtAddress},
            {txtCity->text().isEmpty(), "Please enter your city.", 2, txtCity},
            {txtState->text().isEmpty(), "Please enter state.", 2, txtState},
            {txtPostcode->text().isEmpty(), "Please enter postcode.", 2, txtPostcode},
            {cboCountry->currentText().isEmpty(), "Please enter country.", 2, cboCountry},
            {txtPhone->text().isEmpty(), "Please enter your phone number.", 2, txtPhone},
            {txtFax->text().isEmpty(), "Please enter your fax number, or use your phone nuber if no fax number available.",
             2, txtFax},
            {txtPassword->text().isEmpty(), "Please enter a password.", 2, txtPassword},
            {!categoryChosen, "Please select a category you want to submit.", 3, lstCategory},
        };
        for (const Check &check : checks) {
            if (!check.failed)
                continue;
            SSTab1->setCurrentIndex(check.tab);
            if (check.tab == 3)
                tabCategory->setCurrentIndex(0);
            check.focus->setFocus();
            const QString question = QString::fromLatin1(check.message) + kCrLf + kCrLf
                + QStringLiteral("Not all the engines use all of the data, however you will need to complete all the "
                                 "fields so the program can submit the appropriate data to the appropriate engines as "
                                 "required.")
                + kCrLf + kCrLf + QStringLiteral("Do you want to save anyway ?");
            return Platform::msgBox(question, Platform::YesNo | Platform::Information,
                                    QStringLiteral("Save WebSite Details"))
                == Platform::Yes;
        }
        return true;
    } catch (const std::exception &error) {
        Platform::msgBox(QStringLiteral("Module: Validate Files") + kCrLf + QString::fromStdString(error.what()),
                         Platform::Information, QStringLiteral("Error"));
        return false;
    }
}
