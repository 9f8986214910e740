#pragma once
// The left pane of the main window: the "Project" label and the project tree.
#include <QFrame>

class QLabel;
class QTreeWidget;

class ProjectTreePane : public QFrame {
    Q_OBJECT
public:
    explicit ProjectTreePane(QWidget *parent = nullptr);

    QLabel *lblProjectTitle = nullptr;
    QTreeWidget *TreeView1 = nullptr;
};
