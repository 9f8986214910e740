#include "sitedata/EngineListView.h"

#include <algorithm>

#include <QItemSelection>
#include <QSet>

#include "sitedata/EngineCollection.h"

EngineListView::EngineListView(QWidget *parent) : QTreeView(parent), m_model(this)
{
    setModel(&m_model);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
}

void EngineListView::setHeaderLabels(const QStringList &labels)
{
    for (int column = 0; column < labels.size() && column < EngineListModel::ColumnCount; ++column)
        setHeaderCaption(column, labels[column]);
}

void EngineListView::setHeaderCaption(int column, const QString &caption)
{
    m_model.setHeaderData(column, Qt::Horizontal, caption, Qt::DisplayRole);
}

QString EngineListView::headerCaption(int column) const
{
    return m_model.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
}

QStringList EngineListView::names() const
{
    QStringList result;
    result.reserve(count());
    for (const clsEngines *engine : engines())
        result.append(engine->Name);
    return result;
}

bool EngineListView::contains(const QString &name) const
{
    const clsEngines *engine = myEngines().find(name);
    return engine && m_model.contains(engine);
}

int EngineListView::rowOfName(const QString &name) const
{
    const clsEngines *engine = myEngines().find(name);
    return engine ? m_model.rowOf(engine) : -1;
}

bool EngineListView::addEngine(clsEngines &engine)
{
    return m_model.append({&engine}) == 1;
}

void EngineListView::addEngines(const QList<clsEngines *> &engines)
{
    m_model.append(engines);
}

QList<clsEngines *> EngineListView::removeEngines(const std::function<bool(const clsEngines &)> &picks)
{
    const QList<clsEngines *> highlighted = highlightedEngines();
    const clsEngines *current = m_model.engineAt(currentIndex().row());
    const QList<clsEngines *> removed = m_model.removeWhere(picks);
    if (removed.isEmpty())
        return removed;

    // The model was reset: highlight the rows that stay, in runs of neighbouring rows.
    const QSet<const clsEngines *> keep(highlighted.cbegin(), highlighted.cend());
    QItemSelection selection;
    const int rows = count();
    for (int row = 0; row < rows;) {
        if (!keep.contains(engineAt(row))) {
            ++row;
            continue;
        }
        const int first = row;
        while (row < rows && keep.contains(engineAt(row)))
            ++row;
        selection.select(m_model.index(first, 0), m_model.index(row - 1, EngineListModel::ColumnCount - 1));
    }
    if (current && m_model.contains(current))
        selectionModel()->setCurrentIndex(m_model.index(m_model.rowOf(current), 0), QItemSelectionModel::NoUpdate);
    selectionModel()->select(selection, QItemSelectionModel::Select);
    return removed;
}

QList<clsEngines *> EngineListView::removeHighlighted()
{
    const QList<clsEngines *> highlighted = highlightedEngines();
    const QSet<const clsEngines *> picked(highlighted.cbegin(), highlighted.cend());
    return removeEngines([&picked](const clsEngines &engine) { return picked.contains(&engine); });
}

QList<clsEngines *> EngineListView::highlightedEngines() const
{
    QList<int> rows;
    for (const QItemSelectionRange &range : selectionModel()->selection()) {
        for (int row = range.top(); row <= range.bottom(); ++row)
            rows.append(row);
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    QList<clsEngines *> result;
    result.reserve(rows.size());
    for (int row : rows)
        result.append(engineAt(row));
    return result;
}

bool EngineListView::isHighlighted(const QString &name) const
{
    const int row = rowOfName(name);
    return row >= 0 && selectionModel()->isRowSelected(row, QModelIndex());
}

void EngineListView::setHighlighted(const QString &name, bool highlighted)
{
    const int row = rowOfName(name);
    if (row < 0)
        return;
    const QItemSelection selection(m_model.index(row, 0), m_model.index(row, EngineListModel::ColumnCount - 1));
    selectionModel()->select(selection, highlighted ? QItemSelectionModel::Select : QItemSelectionModel::Deselect);
}

QString EngineListView::currentName() const
{
    const clsEngines *engine = engineAt(currentIndex().row());
    return engine ? engine->Name : QString();
}

void EngineListView::showOnly(const QString &name)
{
    const int row = rowOfName(name);
    if (row < 0)
        return;
    const QModelIndex index = m_model.index(row, 0);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
}

void EngineListView::sortItems(int column, Qt::SortOrder order)
{
    m_model.sort(column, order);
}
