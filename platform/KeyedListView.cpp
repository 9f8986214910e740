#include "platform/KeyedListView.h"

#include <optional>

#include "platform/CommonControls.h"
#include "platform/ImageList.h"

namespace {

constexpr int ImageKeyRole = Qt::UserRole + 3;

// A row that keeps its key, image key and tag in members and draws its icon from the image key, so
// that the item's per-column role list is never allocated. Every role still reads and writes
// through data() and setData() as on any item.
class KeyedRow : public QTreeWidgetItem {
public:
    KeyedRow(const QString &key, const QString &imageKey) : m_key(key), m_imageKey(imageKey) {}

    QVariant data(int column, int role) const override
    {
        if (column == 0) {
            if (role == Platform::KeyRole)
                return m_key;
            if (role == ImageKeyRole)
                return m_imageKey;
            if (role == Platform::TagRole && m_tag)
                return *m_tag;
            if (role == Qt::DecorationRole && !m_ownIcon)
                return m_imageKey.isEmpty() ? QVariant() : QVariant(ImageList::icon(m_imageKey));
        }
        return QTreeWidgetItem::data(column, role);
    }

    void setData(int column, int role, const QVariant &value) override
    {
        if (column == 0 && (role == Platform::KeyRole || role == ImageKeyRole)) {
            (role == Platform::KeyRole ? m_key : m_imageKey) = value.toString();
            emitDataChanged();
            return;
        }
        if (column == 0 && role == Platform::TagRole) {
            m_tag.reset();
            if (value.metaType() == QMetaType::fromType<QString>()) {
                m_tag = value.toString();
                emitDataChanged();
                return;
            }
        }
        if (column == 0 && role == Qt::DecorationRole)
            m_ownIcon = true;
        QTreeWidgetItem::setData(column, role, value);
    }

    bool operator<(const QTreeWidgetItem &other) const override
    {
        if (const std::optional<bool> byGroup = Platform::sortsBeforeByGroup(*this, other))
            return *byGroup;
        return QTreeWidgetItem::operator<(other);
    }

    QTreeWidgetItem *clone() const override
    {
        auto *copy = new KeyedRow(m_key, m_imageKey);
        *static_cast<QTreeWidgetItem *>(copy) = *this;
        copy->m_ownIcon = m_ownIcon;
        copy->m_tag = m_tag;
        return copy;
    }

    void setImageKey(const QString &imageKey)
    {
        m_imageKey = imageKey;
        m_ownIcon = false;
        emitDataChanged();
    }

private:
    QString m_key;
    QString m_imageKey;
    std::optional<QString> m_tag;   // the tag when set as a string, as it always is
    bool m_ownIcon = false;   // an icon was set directly: it overrides the image key's
};

} // namespace

QTreeWidgetItem *newKeyedRow(const QString &key, const QStringList &texts, const QString &imageKey)
{
    auto *row = new KeyedRow(key, imageKey);
    // The last column first: the item then sizes its column lists once instead of growing them.
    for (qsizetype column = texts.size() - 1; column >= 0; --column)
        row->setText(int(column), texts[column]);
    return row;
}

QString itemImageKey(const QTreeWidgetItem *item)
{
    return item ? item->data(0, ImageKeyRole).toString() : QString();
}

void setItemImageKey(QTreeWidgetItem *item, const QString &imageKey)
{
    if (!item)
        return;
    if (auto *row = dynamic_cast<KeyedRow *>(item)) {
        row->setImageKey(imageKey);
        return;
    }
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
    connect(itemModel, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        m_byKey.clear();
        m_byExactKey.clear();
    });
}

KeyedListView::~KeyedListView()
{
    // The base class still removes the rows after the key index is gone.
    model()->disconnect(this);
}

void KeyedListView::indexRows(int first, int last)
{
    // Sized once for a batch of rows: growing step by step would hash every key again each time.
    if (m_exactKeys)
        m_byExactKey.reserve(m_byExactKey.size() + (last - first + 1));
    else
        m_byKey.reserve(m_byKey.size() + (last - first + 1));
    for (int i = first; i <= last; ++i) {
        QTreeWidgetItem *row = topLevelItem(i);
        const QString key = Platform::itemKey(row);
        if (key.isEmpty())
            continue;
        if (m_exactKeys && !m_byExactKey.contains(key))
            m_byExactKey.insert(key, row);
        if (!m_exactKeys && !m_byKey.contains(CaseInsensitiveKey{key}))
            m_byKey.insert(CaseInsensitiveKey{key}, row);
    }
}

void KeyedListView::unindexRows(int first, int last)
{
    for (int i = first; i <= last; ++i) {
        QTreeWidgetItem *row = topLevelItem(i);
        const QString key = Platform::itemKey(row);
        if (m_exactKeys && m_byExactKey.value(key) == row)
            m_byExactKey.remove(key);
        if (!m_exactKeys) {
            auto it = m_byKey.find(CaseInsensitiveKey{key});
            if (it != m_byKey.end() && it.value() == row)
                m_byKey.erase(it);
        }
    }
}

QTreeWidgetItem *KeyedListView::rowByKey(const QString &key) const
{
    if (m_exactKeys)
        return m_byExactKey.value(key, nullptr);
    return m_byKey.value(CaseInsensitiveKey{key}, nullptr);
}

QTreeWidgetItem *KeyedListView::addRow(const QString &key, const QStringList &texts, const QString &imageKey)
{
    if (key.isEmpty() || rowByKey(key))
        return nullptr;
    QTreeWidgetItem *row = newKeyedRow(key, texts, imageKey);
    addTopLevelItem(row);
    return row;
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

void KeyedListView::setHeaderCaption(int column, const QString &caption)
{
    headerItem()->setText(column, caption);
}

QString KeyedListView::headerCaption(int column) const
{
    return headerItem()->text(column);
}
