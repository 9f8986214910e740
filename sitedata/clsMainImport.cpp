// Web form data import: a text file of "Label: value" lines fills the site-detail controls.
#include "sitedata/clsMain.h"

#include <functional>
#include <stdexcept>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "core/modCommon.h"
#include "mainwindow/SitePages.h"
#include "mainwindow/frmMain.h"
#include "platform/Dialogs.h"
#include "platform/TextFile.h"
#include "platform/KeyedListView.h"

bool clsMain::splitWebFormLine(const QString &line, QString &label, QString &value)
{
    // The first separator of either kind: "URL=http://x" keeps its address whole.
    const qsizetype colon = line.indexOf(QLatin1Char(':'));
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    qsizetype at = colon;
    if (at < 0 || (equals >= 0 && equals < at))
        at = equals;
    if (at < 0)
        return false;
    label = line.left(at).trimmed();
    value = line.mid(at + 1).trimmed();
    return true;
}

namespace {

bool isUrlLabel(const QString &label)
{
    static const QStringList labels = {QStringLiteral("url"), QStringLiteral("url1"), QStringLiteral("url2"),
                                       QStringLiteral("url3"), QStringLiteral("url4"), QStringLiteral("url5")};
    return labels.contains(label);
}

} // namespace

bool clsMain::getWebFormData(const QString &sFileName)
{
    frmMain &w = *m_frmMain;
    try {
        const std::optional<QStringList> lines = Platform::readLines(sFileName);
        if (!lines)
            throw std::runtime_error("The file " + sFileName.toStdString() + " could not be read.");

        w.cboCustomEngines->setCurrentIndex(-1);
        w.txtCustomCategory->clear();
        w.lsvCustomMainCategory->clear();
        w.lsvCustomSubCategory->clear();
        w.sitePages->clearURLDetails();

        QString mainCategory;
        QString subCategory;
        const QHash<QString, std::function<void(const QString &)>> apply = {
            {QStringLiteral("title"), [&](const QString &v) { w.txtSiteTitle->setText(v); }},
            {QStringLiteral("keyword"), [&](const QString &v) { modCommon::setMultiLineText(w.txtSiteKeywords, v); }},
            {QStringLiteral("keywords"), [&](const QString &v) { modCommon::setMultiLineText(w.txtSiteKeywords, v); }},
            {QStringLiteral("description"), [&](const QString &v) { modCommon::setMultiLineText(w.txtSiteDescription, v); }},
            {QStringLiteral("webtype"), [&](const QString &v) { w.cboWebType->setCurrentText(v); }},
            {QStringLiteral("language"), [&](const QString &v) { w.cboLanguage->setCurrentText(v); }},
            {QStringLiteral("maincategory"), [&](const QString &v) { mainCategory = v; setSelectedCategory(mainCategory, subCategory); }},
            {QStringLiteral("category"), [&](const QString &v) { mainCategory = v; setSelectedCategory(mainCategory, subCategory); }},
            {QStringLiteral("subcategory"), [&](const QString &v) { subCategory = v; setSelectedCategory(mainCategory, subCategory); }},
            {QStringLiteral("yourname"), [&](const QString &v) { w.txtName->setText(v); }},
            {QStringLiteral("fullname"), [&](const QString &v) { w.txtName->setText(v); }},
            {QStringLiteral("name"), [&](const QString &v) { w.txtName->setText(v); }},
            {QStringLiteral("email"), [&](const QString &v) { w.txtEmail->setText(v); }},
            {QStringLiteral("company"), [&](const QString &v) { w.txtCompany->setText(v); }},
            {QStringLiteral("address"), [&](const QString &v) { w.txtAddress->setText(v); }},
            {QStringLiteral("city"), [&](const QString &v) { w.txtCity->setText(v); }},
            {QStringLiteral("postcode"), [&](const QString &v) { w.txtPostcode->setText(v); }},
            {QStringLiteral("zipcode"), [&](const QString &v) { w.txtPostcode->setText(v); }},
            {QStringLiteral("state"), [&](const QString &v) { w.txtState->setText(v); }},
            {QStringLiteral("country"), [&](const QString &v) { w.cboCountry->setCurrentText(v); }},
            {QStringLiteral("phone"), [&](const QString &v) { w.txtPhone->setText(v); }},
            {QStringLiteral("telephone"), [&](const QString &v) { w.txtPhone->setText(v); }},
            {QStringLiteral("fax"), [&](const QString &v) { w.txtFax->setText(v); }},
            {QStringLiteral("password"), [&](const QString &v) { w.txtPassword->setText(v); }},
        };

        for (const QString &line : *lines) {
            QString label;
            QString value;
            if (!splitWebFormLine(line, label, value))
                continue;
            label = label.toLower();
            if (isUrlLabel(label)) {
                if (!value.isEmpty() && !w.lsvSiteURLs->addRow(value, {value}, QStringLiteral("HTMLFile")))
                    throw std::runtime_error("The URL " + value.toStdString() + " is already in the list.");
                continue;
            }
            const auto action = apply.constFind(label);
            if (action != apply.constEnd())
                (*action)(value);
        }
    } catch (const std::exception &error) {
        Platform::msgBox(QStringLiteral("getWebFormData_Error: ") + QString::fromStdString(error.what()),
                         Platform::Critical, QStringLiteral("Import Web Form Data"));
        return false;
    }
    return true;
}
