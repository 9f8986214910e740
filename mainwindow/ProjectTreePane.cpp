#include "mainwindow/ProjectTreePane.h"

#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

ProjectTreePane::ProjectTreePane(QWidget *parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("fraMainLeft"));
    lblProjectTitle = new QLabel(QStringLiteral("Project"), this);
    lblProjectTitle->setObjectName(QStringLiteral("lblProjectTitle"));
    TreeView1 = new QTreeWidget(this);
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    TreeView1->setHeaderHidden(true);
    TreeView1->setColumnCount(1);
    TreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(lblProjectTitle);
    layout->addWidget(TreeView1, 1);
}
