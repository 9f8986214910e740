// The ranking window's profiles: listing, loading into the fields, Add, Update and Remove. The
// file itself is read and written by RankingProfiles; a failed write is shown and the lists keep
// showing what the file holds.
#include "ranking/frmRanking.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>

#include "core/modCommon.h"
#include "platform/Dialogs.h"
#include "platform/KeyedListView.h"

using namespace Qt::StringLiterals;

namespace {

const QString kTitle = u"Web Ranking"_s;
const QString kAddTitle = u"Add a new profile"_s;

void refuse(const QString &why)
{
    Platform::msgBox(why, Platform::Critical, kTitle);
}

QStringList comboItems(const QComboBox *combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items.append(combo->itemText(i));
    return items;
}

} // namespace

void frmRanking::loadProfile()
{
    for (const RankingProfileEntry &entry : RankingProfiles::list(profilePath())) {
        cboProfile->addItem(entry.name);
        ListView2->addRow(entry.name, {entry.name, entry.date}, QString());
    }
    if (cboProfile->count() > 0) {
        cboProfile->setCurrentIndex(0);
        cboProfile_Click();
    }
}

void frmRanking::cboProfile_Click()
{
    if (cboProfile->currentText().isEmpty())
        return;
    const std::optional<RankingProfile> profile = RankingProfiles::load(profilePath(), cboProfile->currentText());
    if (profile)
        showProfile(*profile);
    // What the rows tell of a run or a report was another profile's.
    for (int i = 1; i <= engineRowCount(); ++i) {
        for (int column = clsRanking::kPagesColumn; column <= clsRanking::kStatusColumn; ++column)
            engineRow(i)->setText(column, QString());
    }
    m_bProfileChanged = false;
}

void frmRanking::showProfile(const RankingProfile &profile)
{
    cboSiteURL->setEditText(profile.url);
    txtKeyword->setText(profile.keyword);
    Option1[profile.links ? 1 : 0]->setChecked(true);
    m_intSearchType = profile.links ? 1 : 0;
    txtPageLinks->setText(profile.value);
    for (int i = 1; i <= engineRowCount() && i <= kRankCheckEngines; ++i)
        engineRow(i)->setCheckState(0, profile.engines[std::size_t(i - 1)] ? Qt::Checked : Qt::Unchecked);
}

RankingProfile frmRanking::fieldsAsProfile() const
{
    RankingProfile profile;
    profile.url = cboSiteURL->currentText();
    profile.keyword = txtKeyword->text();
    profile.links = m_intSearchType == 1;
    profile.value = txtPageLinks->text();
    for (int i = 1; i <= engineRowCount() && i <= kRankCheckEngines; ++i)
        profile.engines[std::size_t(i - 1)] = engineRow(i)->checkState(0) == Qt::Checked;
    return profile;
}

// Everything up to and including the first "://" leaves the site box.
void frmRanking::stripScheme()
{
    const QString url = cboSiteURL->currentText();
    const qsizetype scheme = url.indexOf(u"://"_s);
    if (scheme >= 0)
        cboSiteURL->setEditText(url.mid(scheme + 3));
}

void frmRanking::Command2_Click(int index)
{
    stripScheme();
    // What the profile file cannot hold is refused before anything is kept.
    if (index != 2) {
        if (const std::optional<QString> why = RankingProfiles::valueProblem(fieldsAsProfile())) {
            refuse(*why);
            return;
        }
        modCommon::addHistory(cboSiteURL, cboSiteURL->currentText());
    }
    if (index == 0)
        addProfile();
    else if (index == 1)
        updateProfile();
    else
        removeProfile();
}

bool frmRanking::saveProfile(const QString &name)
{
    if (!RankingProfiles::save(profilePath(), name, fieldsAsProfile())) {
        Platform::msgBox(RankingProfiles::errorText(RankingProfiles::kSaveErrorPrefix, profilePath()),
                         Platform::Critical, kTitle);
        return false;
    }
    m_bProfileChanged = false;
    return true;
}

void frmRanking::updateProfile()
{
    const QString shown = cboProfile->currentText();
    if (shown.isEmpty()) {
        Platform::msgBox(u"Please select the profile name you would like to update!"_s, Platform::Information, kTitle);
        return;
    }
    if (const std::optional<QString> why = RankingProfiles::nameProblem(shown)) {
        refuse(*why);
        return;
    }
    saveProfile(shown);
}

void frmRanking::addProfile()
{
    QString typed = Platform::inputBox(u"Please specify the name of the new profile you would like to save:"_s, kAddTitle);
    const QStringList listed = comboItems(cboProfile);
    std::optional<QString> name;
    while (!typed.isEmpty()) {
        if (const std::optional<QString> why = RankingProfiles::nameProblem(typed, listed)) {
            refuse(*why);
            return;
        }
        name = typed.trimmed();
        if (!RankingProfiles::contains(listed, *name))
            break;
        typed = Platform::inputBox(u"The profile '"_s + *name + u"' already exists.\r\n\r\nPlease specify a new profile name: "_s,
                                   kAddTitle, *name);
        name.reset();
    }
    if (!name || !saveProfile(*name))
        return;
    cboProfile->addItem(*name);
    cboProfile->setCurrentIndex(cboProfile->count() - 1);
    cboProfile_Click();
    ListView2->addRow(*name, {*name, QString()}, QString());
}

void frmRanking::removeProfile()
{
    const QString shown = cboProfile->currentText();
    if (shown.isEmpty()) {
        Platform::msgBox(u"Please select a profile name you want to remove!"_s, Platform::Information, kTitle);
        return;
    }
    m_bProfileChanged = false;
    if (Platform::msgBox(u"Are you sure you want to remove this profile: \r\n\r\n"_s + shown,
                         Platform::YesNo | Platform::Information, kTitle)
        != Platform::Yes)
        return;
    if (!RankingProfiles::remove(profilePath(), shown)) {
        Platform::msgBox(RankingProfiles::errorText(RankingProfiles::kRemoveErrorPrefix, profilePath()),
                         Platform::Information, u"Error"_s);
        return;
    }
    ListView2->removeByKey(shown);
    cboProfile->removeItem(cboProfile->currentIndex());
    if (cboProfile->count() > 0) {
        cboProfile->setCurrentIndex(0);
        cboProfile_Click();
    }
}
