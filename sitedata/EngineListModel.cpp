#include "sitedata/EngineListModel.h"

#include <algorithm>

#include "sitedata/EngineCollection.h"
#include "platform/ImageList.h"
#include "sitedata/clsEngines.h"

namespace {

// Engine types with an icon of their own; every other type shows the miscellaneous one.
QString imageKeyOfType(const QString &engineType)
{
    static const QStringList ownImages = {QStringLiteral("ENG"), QStringLiteral("DIR"), QStringLiteral("FFA"),
                                          QStringLiteral("HOT"), QStringLiteral("NEWS")};
    return ownImages.contains(engineType) ? engineType : QStringLiteral("MIS");
}

} // namespace

EngineListModel::EngineListModel(QObject *parent)
    : QAbstractTableModel(parent), m_headers(ColumnCount)
{
    m_clearHandler = myEngines().addClearHandler([this] { clear(); });
}

EngineListModel::~EngineListModel()
{
    myEngines().removeClearHandler(m_clearHandler);
}

int EngineListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int EngineListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QString EngineListModel::columnText(const clsEngines &engine, int column)
{
    switch (column) {
    case 0: return engine.Name;
    case 1: return engine.EngineType;
    case 2: return engine.Country;
    default: return QString();
    }
}

QVariant EngineListModel::data(const QModelIndex &index, int role) const
{
    const clsEngines *engine = index.isValid() ? engineAt(index.row()) : nullptr;
    if (!engine)
        return QVariant();
    if (role == Qt::DisplayRole)
        return columnText(*engine, index.column());
    if (role == Qt::DecorationRole && index.column() == 0)
        return ImageList::icon(imageKeyOfType(engine->EngineType));
    return QVariant();
}

QVariant EngineListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return section >= 0 && section < ColumnCount ? m_headers[section] : QString();
    return QAbstractTableModel::headerData(section, orientation, role);
}

bool EngineListModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant &value, int role)
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= ColumnCount)
        return false;
    m_headers[section] = value.toString();
    emit headerDataChanged(orientation, section, section);
    return true;
}

void EngineListModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= ColumnCount)
        return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    QList<const clsEngines *> engineOfPersistent;
    engineOfPersistent.reserve(before.size());
    for (const QModelIndex &index : before)
        engineOfPersistent.append(engineAt(index.row()));

    const auto less = [column](const clsEngines *a, const clsEngines *b) {
        return columnText(*a, column).compare(columnText(*b, column)) < 0;
    };
    if (order == Qt::AscendingOrder)
        std::stable_sort(m_rows.begin(), m_rows.end(), less);
    else
        std::stable_sort(m_rows.begin(), m_rows.end(), [&less](const clsEngines *a, const clsEngines *b) { return less(b, a); });

    // Selections and the current row follow their engines to the new rows.
    QHash<const clsEngines *, int> newRow;
    if (!before.isEmpty()) {
        newRow.reserve(m_rows.size());
        for (int row = 0; row < m_rows.size(); ++row)
            newRow.insert(m_rows[row], row);
    }
    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i)
        after.append(index(newRow.value(engineOfPersistent[i], -1), before[i].column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

clsEngines *EngineListModel::engineAt(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows[row] : nullptr;
}

int EngineListModel::rowOf(const clsEngines *engine) const
{
    if (!contains(engine))
        return -1;
    return int(m_rows.indexOf(engine));
}

int EngineListModel::append(const QList<clsEngines *> &engines)
{
    QList<clsEngines *> fresh;
    fresh.reserve(engines.size());
    m_members.reserve(m_members.size() + engines.size());
    for (clsEngines *engine : engines) {
        if (engine && !m_members.contains(engine)) {
            m_members.insert(engine);
            fresh.append(engine);
        }
    }
    if (fresh.isEmpty())
        return 0;
    const int first = int(m_rows.size());
    const int added = int(fresh.size());
    beginInsertRows(QModelIndex(), first, first + added - 1);
    if (m_rows.isEmpty())
        m_rows = std::move(fresh);
    else
        m_rows.append(fresh);
    endInsertRows();
    return added;
}

QList<clsEngines *> EngineListModel::removeWhere(const std::function<bool(const clsEngines &)> &picks)
{
    QList<clsEngines *> removed;
    QList<clsEngines *> kept;
    for (clsEngines *engine : std::as_const(m_rows))
        (picks(*engine) ? removed : kept).append(engine);
    if (removed.isEmpty())
        return removed;
    // Removing thousands of scattered rows one by one moves the rest each time: one reset instead.
    beginResetModel();
    m_rows = std::move(kept);
    for (const clsEngines *engine : std::as_const(removed))
        m_members.remove(engine);
    endResetModel();
    return removed;
}

void EngineListModel::clear()
{
    if (m_rows.isEmpty())
        return;
    beginResetModel();
    m_rows = QList<clsEngines *>();
    m_members = QSet<const clsEngines *>();
    endResetModel();
}
