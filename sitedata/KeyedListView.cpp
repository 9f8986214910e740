#include "sitedata/KeyedListView.h"

#include <QHeaderView>

#include "platform/CommonControls.h"
#include "sitedata/ImageList.h"

namespace {
constexpr int ImageKeyRole = Qt::UserRole + 3;
}

QString itemImageKey(const QTreeWidgetItem *item)
{
    return item ? item->data(0, ImageKeyRole).toString() : QString();
}

void setItemImageKey(QTreeWidgetItem *item, const QString &imageKey)
{
    if (!item)
        return;
    item->setData(0, ImageKeyRole, imageKey);
    item->setIcon(0, imageKey.isEmpty() ? QIcon() : ImageList::icon(imageKey));
}

KeyedListView::KeyedListView(QWidget *parent) : QTreeWidget(parent)
{
    setRootIsDecorated(false);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    QAbstractItemModel *itemModel = model();
    connect(itemModel, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex &parent, int first, int last) {
                if (!parent.isValid())
                    indexRows(first, last);
            });
    connect(itemModel, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex &parent, int first, int last) {
                if (!parent.isValid())
                    unindexRows(first, last);
            });
    connect(itemModel, &QAbstractItemModel::modelAboutToBeReset, this, [this] { m_byKey.clear(); });
}

KeyedListView::~KeyedListView()
{
    // The base class still removes the rows after the key index is gone.
    model()->disconnect(this);
}

void KeyedListView::indexRows(int first, int last)
{
    for (int i = first; i <= last; ++i) {
        QTreeWidgetItem *row = topLevelItem(i);
        const QString key = Platform::itemKey(row).toCaseFolded();
        if (!key.isEmpty() && !m_byKey.contains(key))
            m_byKey.insert(key, row);
    }
}

void KeyedListView::unindexRows(int first, int last)
{
    for (int i = first; i <= last; ++i) {
        QTreeWidgetItem *row = topLevelItem(i);
        const QString key = Platform::itemKey(row).toCaseFolded();
        auto it = m_byKey.find(key);
        if (it != m_byKey.end() && it.value() == row)
            m_byKey.erase(it);
    }
}

QTreeWidgetItem *KeyedListView::rowByKey(const QString &key) const
{
    return m_byKey.value(key.toCaseFolded(), nullptr);
}

QTreeWidgetItem *KeyedListView::addRow(const QString &key, const QStringList &texts, const QString &imageKey)
{
    if (key.isEmpty() || rowByKey(key))
        return nullptr;
    auto *row = new QTreeWidgetItem(texts);
    Platform::setItemKey(row, key);
    setItemImageKey(row, imageKey);
    addTopLevelItem(row);
    return row;
}

void KeyedListView::addRows(const QList<QTreeWidgetItem *> &rows)
{
    QList<QTreeWidgetItem *> accepted;
    accepted.reserve(rows.size());
    QHash<QString, bool> seen;
    for (QTreeWidgetItem *row : rows) {
        const QString key = Platform::itemKey(row).toCaseFolded();
        if (key.isEmpty() || m_byKey.contains(key) || seen.contains(key)) {
            delete row;
            continue;
        }
        seen.insert(key, true);
        accepted.append(row);
    }
    addTopLevelItems(accepted);
}

bool KeyedListView::removeByKey(const QString &key)
{
    QTreeWidgetItem *row = rowByKey(key);
    if (!row)
        return false;
    delete takeTopLevelItem(indexOfTopLevelItem(row));
    return true;
}

QList<QTreeWidgetItem *> KeyedListView::rows() const
{
    QList<QTreeWidgetItem *> result;
    result.reserve(topLevelItemCount());
    for (int i = 0; i < topLevelItemCount(); ++i)
        result.append(topLevelItem(i));
    return result;
}

QList<QTreeWidgetItem *> KeyedListView::highlightedRows() const
{
    QList<QTreeWidgetItem *> result;
    for (int i = 0; i < topLevelItemCount(); ++i) {
        if (topLevelItem(i)->isSelected())
            result.append(topLevelItem(i));
    }
    return result;
}

void KeyedListView::setHeaderCaption(int column, const QString &caption)
{
    headerItem()->setText(column, caption);
}

QString KeyedListView::headerCaption(int column) const
{
    return headerItem()->text(column);
}
