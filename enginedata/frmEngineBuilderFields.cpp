// The engine builder's controls of one engine: a record into the controls and back to the
// defaults, the data-field rows and the category mapping rows.
#include "enginedata/frmEngineBuilder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "enginedata/EngineDefinition.h"
#include "enginedata/FormReader.h"
#include "platform/CommonControls.h"
#include "platform/ImageList.h"
#include "platform/KeyedListView.h"
#include "platform/modDSSockLog.h"

namespace {

bool beginsWithY(const QString &text)
{
    return text.startsWith(QLatin1Char('Y'), Qt::CaseInsensitive);
}

void setMapping(QTreeWidgetItem *row, const QString &engineCategory)
{
    row->setText(1, engineCategory);
    setItemImageKey(row, engineCategory.isEmpty() ? QStringLiteral("TickOff") : QStringLiteral("Tick"));
}

// The row the list shows as selected, or null.
QTreeWidgetItem *selectedRow(const KeyedListView *list)
{
    QTreeWidgetItem *row = list->currentItem();
    return row && row->isSelected() ? row : nullptr;
}

} // namespace

void frmEngineBuilder::getEngineData(qsizetype index)
{
    if (index < 0 || index >= m_store.records().size())
        return;
    const CustomEngineRecord &r = m_store.records().at(index);
    txtFieldName->clear();
    txtValue->clear();
    txtSource->clear();
    txtEngineName->setText(r.Name);
    txtEngineURL->setText(r.Home);
    txtSubmitURL->setText(r.AddURL);
    setQueryData(r.Query);
    setCategoryData(r.CategoryData);
    txtCountry->setText(r.Country);
    if (const int type = EngineDefinition::engineTypeIndex(r.Type); type >= 0)
        cboEngineType->setCurrentIndex(type);
    const bool asksCategory = beginsWithY(r.Category) || r.Category.startsWith(QLatin1Char('F'), Qt::CaseInsensitive);
    cboCategory->setCurrentIndex(asksCategory ? 1 : 0);
    cboMethod->setEditText(r.Method);
    txtAction->setText(r.Action);
    chkAllowAdultSite->setChecked(beginsWithY(r.Adults));
    chkAdultOnlySite->setChecked(beginsWithY(r.AdultOnlySites));
    txtLanguage->setText(r.Language);
    chkCountry->setChecked(beginsWithY(r.CountryOnly));
    txtMaxTitle->setText(QString::number(r.MaxTitle));
    txtMaxKeywords->setText(QString::number(r.MaxKeywords));
    txtMaxDescription->setText(QString::number(r.MaxDescription));
    cboSiteLevel->setEditText(QString::number(r.SiteLevel));
}

void frmEngineBuilder::ClearFields()
{
    lsvDataFields->clear();
    m_selectedFieldKey.clear();
    for (QTreeWidgetItem *row : lsvCategory->rows())
        setMapping(row, QString());
    txtCountry->clear();
    cboEngineType->setCurrentIndex(0);
    cboEngineType_Click();
    cboCategory->setCurrentIndex(1);
    cboMethod->setCurrentIndex(0);
    txtAction->clear();
    for (QCheckBox *box : {chkCountry, chkAllowAdultSite, chkAdultOnlySite})
        box->setChecked(false);
    for (QLineEdit *edit : {txtLanguage, txtMaxTitle, txtMaxKeywords, txtMaxDescription, txtFieldName, txtValue})
        edit->clear();
    cboSiteLevel->setCurrentIndex(2);
}

void frmEngineBuilder::setQueryData(const QString &query)
{
    lsvDataFields->clear();
    for (const QString &piece : query.split(QLatin1Char('&'))) {
        const qsizetype equals = piece.indexOf(QLatin1Char('='));
        if (equals >= 0)
            addItem(piece.left(equals), piece.mid(equals + 1));
    }
}

void frmEngineBuilder::setCategoryData(const QString &categoryData)
{
    for (QTreeWidgetItem *row : lsvCategory->rows())
        setMapping(row, QString());
    for (const QString &item : m_store.categoryItems(txtEngineName->text(), categoryData)) {
        const qsizetype equals = item.indexOf(QLatin1Char('='));
        if (equals < 0)
            continue;
        const QString key = item.left(equals);
        if (QTreeWidgetItem *row = lsvCategory->rowByKey(key))
            setMapping(row, item.mid(equals + 1));
        else
            modDSSock::writeErrorLog(QStringLiteral("setCategoryData: no category \"") + key + QStringLiteral("\" for ")
                                     + txtEngineName->text());
    }
}

void frmEngineBuilder::cboEngineType_Click()
{
    const int type = cboEngineType->currentIndex();
    if (type >= 0)
        cboSiteLevel->setEditText(QLatin1String(EngineDefinition::kEngineTypes[type].siteLevel));
}

// A stored value is shown as the text it stands for; a placeholder as it is.
QString frmEngineBuilder::storedFieldValue(QTreeWidgetItem *row) const
{
    const QString stored = row->text(1);
    return FormReader::isPlaceholder(stored) ? stored : FormReader::decodeQueryValue(stored);
}

void frmEngineBuilder::lsvDataFields_ItemClick(const QString &key)
{
    QTreeWidgetItem *row = lsvDataFields->rowByKey(key);
    if (!row)
        return;
    m_selectedFieldKey = key;
    txtFieldName->setText(row->text(0));
    txtValue->setText(storedFieldValue(row));
}

void frmEngineBuilder::cmdUpdate_Click(int index)
{
    if (index == 0) {
        if (txtFieldName->text().isEmpty()) {
            message(QStringLiteral("Please select a item fro update."), QStringLiteral("Update"));
            return;
        }
        QTreeWidgetItem *row = m_selectedFieldKey.isEmpty() ? nullptr : lsvDataFields->rowByKey(m_selectedFieldKey);
        if (!row)
            return;
        // An unchanged value keeps its stored form, so it is never encoded twice.
        const QString typed = txtValue->text();
        if (typed != storedFieldValue(row))
            row->setText(1, FormReader::isPlaceholder(typed) ? typed : FormReader::encodeQueryValue(typed));
        row->setText(0, txtFieldName->text());
        return;
    }
    QTreeWidgetItem *row = selectedRow(lsvDataFields);
    if (!row)
        return;
    if (Platform::itemKey(row).compare(m_selectedFieldKey, Qt::CaseInsensitive) == 0)
        m_selectedFieldKey.clear();
    delete row;
    txtFieldName->clear();
    txtValue->clear();
}

void frmEngineBuilder::lsvCategory_ItemClick(const QString &key)
{
    QTreeWidgetItem *row = lsvCategory->rowByKey(key);
    if (!row)
        return;
    const QString text = row->text(0);
    txtDefaultCategory->setText(text);
    const qsizetype arrows = text.indexOf(QLatin1String(">>"));
    if (!row->text(1).isEmpty())
        txtEngineCategory->setText(row->text(1));
    else
        txtEngineCategory->setText(arrows >= 0 ? text.mid(arrows + 2).trimmed() : text);
}

void frmEngineBuilder::cmdUpdateCategory_Click()
{
    QTreeWidgetItem *row = selectedRow(lsvCategory);
    if (!row)
        return;
    const QString engineCategory = txtEngineCategory->text();
    if (const QString refused = EngineDefinition::mappingRefusal(Platform::itemKey(row), engineCategory);
        !refused.isEmpty()) {
        message(refused);
        return;
    }
    row->setText(0, txtDefaultCategory->text());
    setMapping(row, engineCategory);
}

void frmEngineBuilder::lsvCategory_KeyDown(int keyCode)
{
    if (keyCode != 46)
        return;
    for (QTreeWidgetItem *row : lsvCategory->selectedItems())
        setMapping(row, QString());
}

void frmEngineBuilder::lsvCategory_ColumnClick(int column)
{
    lsvCategory->header()->setSortIndicatorShown(true);
    lsvCategory->sortItems(column, Platform::nextClickSortOrder(lsvCategory));
}

void frmEngineBuilder::addItem(const QString &fieldName, const QString &value)
{
    lsvDataFields->addRow(fieldName, {fieldName, value}, QString());
}
