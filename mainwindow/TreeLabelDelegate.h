#pragma once
// Label editing of the project tree: the window decides whether an edit may start and whether the
// typed text is taken. A refused text can be offered again in the next editor.
#include <functional>

#include <QStyledItemDelegate>

class TreeLabelDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    // `mayEdit` runs before an editor opens (false cancels it); `commit` gets the edited node's
    // index and the typed text (the window sets the node's text itself when it takes it).
    TreeLabelDelegate(std::function<bool()> mayEdit, std::function<void(const QModelIndex &, const QString &)> commit,
                      QObject *parent = nullptr);

    // The text the next editor starts with instead of the node's text.
    void offerTextOnce(const QString &text) { m_offered = text; m_hasOffer = true; }

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;

private:
    std::function<bool()> m_mayEdit;
    std::function<void(const QModelIndex &, const QString &)> m_commit;
    mutable QString m_offered;
    mutable bool m_hasOffer = false;
};
