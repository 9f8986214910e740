#pragma once
// Thin helpers for the list, tree and status bar controls where the code addresses rows and
// nodes by key: keys and tags live in item data, keys compare ignoring case, and status bar
// panels are numbered from 1.
#include <optional>

#include <QSet>
#include <QStatusBar>
#include <QString>
#include <QTreeWidget>
#include <QVector>

#include "platform/CaseInsensitiveKey.h"

class QLabel;

namespace Platform {

inline constexpr int KeyRole = Qt::UserRole + 1;
inline constexpr int TagRole = Qt::UserRole + 2;
// Rows of a keyed list, and the meta-tag editor's folder rows, sort by this number first (0 when
// unset), then by the sorted column, so an up entry and folders can stay ahead of files.
inline constexpr int SortGroupRole = Qt::UserRole + 4;

// The one rule for rows of different sort groups: whether `row` goes before `other` by its group,
// which stays ahead in either order of the column (Qt asks a descending sort whether the other row
// is less, so the comparison turns round). Nothing when both rows are of one group: the column
// decides.
std::optional<bool> sortsBeforeByGroup(const QTreeWidgetItem &row, const QTreeWidgetItem &other);

QString itemKey(const QTreeWidgetItem *item);
void setItemKey(QTreeWidgetItem *item, const QString &key);
QString itemTag(const QTreeWidgetItem *item);
void setItemTag(QTreeWidgetItem *item, const QString &tag);

// The first item (at any depth) whose key equals `key` ignoring case, or null.
QTreeWidgetItem *findItemByKey(const QTreeWidget *tree, const QString &key);

// Expands the children `first` to `last` of `parent`, reached by their rows: an item looking up its
// own row searches its siblings, which for thousands of them adds up.
void expandChildren(QTreeWidget *tree, QTreeWidgetItem *parent, int first, int last);

// Every item of the tree, depth first.
QList<QTreeWidgetItem *> allItems(const QTreeWidget *tree);

// Node keys, equal when their case-folded forms are, kept without a folded copy of each key in
// the common case of a key in plain ASCII.
class NodeKeySet {
public:
    void reserve(qsizetype size) { m_keys.reserve(size); }
    // Adds the key; false when an equal one was there already.
    bool insert(const QString &key);

private:
    QSet<CaseInsensitiveKey> m_keys;
};

// The one rule for a click on a list's column header: a click on the column the list is sorted
// by reverses its order; a click on another column, or on a list never sorted, sorts ascending.
// Asked from the header's sectionClicked. The list's sortByColumn (and a tree widget's
// sortItems) keeps the header's sort indicator on the order it shows (also when the indicator is
// hidden), and Qt's header turns that indicator this way on every click.
Qt::SortOrder nextClickSortOrder(QTreeView *list);

// Sorts the list on every click on one of its column headers by the rule above, with the
// indicator shown.
void sortOnHeaderClick(QTreeView *list);

// A status bar of numbered text panels.
class StatusBar : public QStatusBar {
    Q_OBJECT
public:
    explicit StatusBar(int panels, QWidget *parent = nullptr);
    QString panelText(int panel) const;
    void setPanelText(int panel, const QString &text);
    int panelCount() const { return static_cast<int>(m_panels.size()); }

private:
    QVector<QLabel *> m_panels;
};

// Suspends a widget's redrawing for a bulk update and resumes it when leaving the scope.
class RedrawSuspender {
public:
    explicit RedrawSuspender(QWidget *widget);
    ~RedrawSuspender();
    RedrawSuspender(const RedrawSuspender &) = delete;
    RedrawSuspender &operator=(const RedrawSuspender &) = delete;

private:
    QWidget *m_widget;
    bool m_wasEnabled;
};

} // namespace Platform
