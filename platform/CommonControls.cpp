#include "platform/CommonControls.h"

#include <QLabel>

namespace Platform {

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

QTreeWidgetItem *findItemByKey(const QTreeWidget *tree, const QString &key)
{
    for (QTreeWidgetItem *item : allItems(tree)) {
        if (itemKey(item).compare(key, Qt::CaseInsensitive) == 0)
            return item;
    }
    return nullptr;
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
