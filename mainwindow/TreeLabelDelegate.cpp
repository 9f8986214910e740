#include "mainwindow/TreeLabelDelegate.h"

#include <QLineEdit>

TreeLabelDelegate::TreeLabelDelegate(std::function<bool()> mayEdit, std::function<void(const QModelIndex &, const QString &)> commit,
                                     QObject *parent)
    : QStyledItemDelegate(parent), m_mayEdit(std::move(mayEdit)), m_commit(std::move(commit))
{
}

QWidget *TreeLabelDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                                         const QModelIndex &index) const
{
    if (m_mayEdit && !m_mayEdit())
        return nullptr;
    return QStyledItemDelegate::createEditor(parent, option, index);
}

void TreeLabelDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    auto *line = qobject_cast<QLineEdit *>(editor);
    if (!line) {
        QStyledItemDelegate::setEditorData(editor, index);
        return;
    }
    // The view fills the editor again whenever the node changes (its tag or image set after a
    // new node's editor opened): that must neither undo the typing nor the selection.
    static const char *const kFilled = "velquistFilled";
    if (line->property(kFilled).toBool())
        return;
    line->setProperty(kFilled, true);
    if (m_hasOffer) {
        line->setText(m_offered);
        m_hasOffer = false;
    } else {
        QStyledItemDelegate::setEditorData(editor, index);
    }
    // Typing replaces the whole name, as it does for a name the program proposed.
    line->selectAll();
}

void TreeLabelDelegate::setModelData(QWidget *editor, QAbstractItemModel *, const QModelIndex &index) const
{
    // The window stores an accepted text itself; a refused one never reaches the model.
    if (auto *line = qobject_cast<QLineEdit *>(editor); line && m_commit)
        m_commit(index, line->text());
}
