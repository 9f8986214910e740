#include "platform/CommonControls.h"

#include <QHeaderView>
#include <QLabel>

#include <algorithm>

namespace Platform {

Qt::SortOrder nextClickSortOrder(QTreeView *list)
{
    // Before any handler runs, the click has turned the indicator: to the reverse on the column it
    // was on, else to ascending on the clicked column.
    return list->header()->sortIndicatorOrder();
}

void sortOnHeaderClick(QTreeView *list)
{
    QHeaderView *header = list->header();
    header->setSectionsClickable(true);
    QObject::connect(header, &QHeaderView::sectionClicked, list, [list](int column) {
        list->header()->setSortIndicatorShown(true);
        list->sortByColumn(column, nextClickSortOrder(list));
    });
}

std::optional<bool> sortsBeforeByGroup(const QTreeWidgetItem &row, const QTreeWidgetItem &other)
{
    const int mine = row.data(0, SortGroupRole).toInt();
    const int theirs = other.data(0, SortGroupRole).toInt();
    if (mine == theirs)
        return std::nullopt;
    const QTreeWidget *list = row.treeWidget();
    const bool descending = list && list->header()->sortIndicatorOrder() == Qt::DescendingOrder;
    return descending ? mine > theirs : mine < theirs;
}

QString itemKey(const QTreeWidgetItem *item)
{
    return item ? item->data(0, KeyRole).toString() : QString();
}

void setItemKey(QTreeWidgetItem *item, const QString &key)
{
    if (item)
        item->setData(0, KeyRole, key);
}

QString itemTag(const QTreeWidgetItem *item)
{
    return item ? item->data(0, TagRole).toString() : QString();
}

void setItemTag(QTreeWidgetItem *item, const QString &tag)
{
    if (item)
        item->setData(0, TagRole, tag);
}

QList<QTreeWidgetItem *> allItems(const QTreeWidget *tree)
{
    QList<QTreeWidgetItem *> items;
    QList<QTreeWidgetItem *> pending;
    for (int i = tree->topLevelItemCount() - 1; i >= 0; --i)
        pending.append(tree->topLevelItem(i));
    while (!pending.isEmpty()) {
        QTreeWidgetItem *item = pending.takeLast();
        items.append(item);
        for (int i = item->childCount() - 1; i >= 0; --i)
            pending.append(item->child(i));
    }
    return items;
}

void expandChildren(QTreeWidget *tree, QTreeWidgetItem *parent, int first, int last)
{
    QList<int> rows;   // from the parent up to its top-level item
    for (QTreeWidgetItem *item = parent; item; item = item->parent())
        rows.append(item->parent() ? item->parent()->indexOfChild(item) : tree->indexOfTopLevelItem(item));
    const QAbstractItemModel *model = tree->model();
    QModelIndex parentIndex;
    for (auto row = rows.crbegin(); row != rows.crend(); ++row)
        parentIndex = model->index(*row, 0, parentIndex);
    for (int row = first; row <= last; ++row)
        tree->setExpanded(model->index(row, 0, parentIndex), true);
}

QTreeWidgetItem *findItemByKey(const QTreeWidget *tree, const QString &key)
{
    for (QTreeWidgetItem *item : allItems(tree)) {
        if (itemKey(item).compare(key, Qt::CaseInsensitive) == 0)
            return item;
    }
    return nullptr;
}

bool NodeKeySet::insert(const QString &key)
{
    // The key compares character by character ignoring case; a key beyond ASCII is folded whole
    // first, so letters written as surrogate pairs fold too.
    const bool ascii = std::all_of(key.begin(), key.end(), [](QChar c) { return c.unicode() < 0x80; });
    const qsizetype before = m_keys.size();
    m_keys.insert(CaseInsensitiveKey{ascii ? key : key.toCaseFolded()});
    return m_keys.size() > before;
}

StatusBar::StatusBar(int panels, QWidget *parent) : QStatusBar(parent)
{
    for (int i = 0; i < panels; ++i) {
        auto *label = new QLabel(this);
        addWidget(label, i == 0 ? 1 : 0);
        m_panels.append(label);
    }
}

QString StatusBar::panelText(int panel) const
{
    if (panel < 1 || panel > m_panels.size())
        return QString();
    return m_panels[panel - 1]->text();
}

void StatusBar::setPanelText(int panel, const QString &text)
{
    if (panel >= 1 && panel <= m_panels.size())
        m_panels[panel - 1]->setText(text);
}

RedrawSuspender::RedrawSuspender(QWidget *widget)
    : m_widget(widget), m_wasEnabled(widget && widget->updatesEnabled())
{
    if (m_widget)
        m_widget->setUpdatesEnabled(false);
}

RedrawSuspender::~RedrawSuspender()
{
    if (m_widget)
        m_widget->setUpdatesEnabled(m_wasEnabled);
}

} // namespace Platform
