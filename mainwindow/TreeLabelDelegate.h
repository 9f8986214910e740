#pragma once
// Label editing of the project tree: the window decides whether an edit may start and whether the
// typed text is taken. A refused text can be offered again in the next editor.
#include <functional>

#include <QStyledItemDelegate>

class TreeLabelDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    // `mayEdit` runs before an editor opens (false cancels it); `commit` gets the typed text and
    // returns whether it is taken (the window has then set the node's text itself).
    TreeLabelDelegate(std::function<bool()> mayEdit, std::function<void(const QString &)> commit,
                      QObject *parent = nullptr);

    // The text the next editor starts with instead of the node's text.
    void offerTextOnce(const QString &text) { m_offered = text; m_hasOffer = true; }

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;

private:
    std::function<bool()> m_mayEdit;
    std::function<void(const QString &)> m_commit;
    mutable QString m_offered;
    mutable bool m_hasOffer = false;
};
