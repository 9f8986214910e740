#pragma once
// A list view (report view) whose rows carry a key, found in constant time. Keys compare ignoring
// case (or exactly, once setExactKeys is on) and a second row with a key already present is refused. The key index follows every change
// of the rows, also those made with the plain QTreeWidget calls (clear, takeTopLevelItem, delete).
#include <QHash>
#include <QStringList>
#include <QTreeWidget>

#include "platform/CaseInsensitiveKey.h"

class KeyedListView : public QTreeWidget {
    Q_OBJECT
public:
    explicit KeyedListView(QWidget *parent = nullptr);
    ~KeyedListView() override;

    // The row with that key, or null.
    QTreeWidgetItem *rowByKey(const QString &key) const;
    // Appends a row: column texts from `texts`, key, small icon by image key. Null (and no row)
    // when the key is empty or already used.
    QTreeWidgetItem *addRow(const QString &key, const QStringList &texts, const QString &imageKey);
    bool removeByKey(const QString &key);
    // Rows in displayed order.
    QList<QTreeWidgetItem *> rows() const;

    // Keys that differ in letter case name different rows; set before the first row.
    void setExactKeys(bool on) { m_exactKeys = on; }
    void setHeaderCaption(int column, const QString &caption);
    QString headerCaption(int column) const;

private:
    void indexRows(int first, int last);
    void unindexRows(int first, int last);

    QHash<CaseInsensitiveKey, QTreeWidgetItem *> m_byKey;
    QHash<QString, QTreeWidgetItem *> m_byExactKey;
    bool m_exactKeys = false;
};

// A new row, not yet in a view: column texts, key and image key, built without the spare room the
// generic item grows into (lists of many thousand rows hold it for every row).
QTreeWidgetItem *newKeyedRow(const QString &key, const QStringList &texts, const QString &imageKey);

// The image key a row or node shows (the icon itself comes from the window's image list).
QString itemImageKey(const QTreeWidgetItem *item);
void setItemImageKey(QTreeWidgetItem *item, const QString &imageKey);
