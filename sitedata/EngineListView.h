#pragma once
// A report view of engines (name, type, country), as the main window's engine list and selected-
// engine list. Engines are found by name ignoring case; an engine has at most one row. Highlighting
// is the view's row selection (several rows with Ctrl and Shift).
#include <functional>

#include <QList>
#include <QStringList>
#include <QTreeView>

#include "sitedata/EngineListModel.h"

class clsEngines;

class EngineListView : public QTreeView {
    Q_OBJECT
public:
    explicit EngineListView(QWidget *parent = nullptr);

    void setHeaderLabels(const QStringList &labels);
    void setHeaderCaption(int column, const QString &caption);
    QString headerCaption(int column) const;

    int count() const { return m_model.rowCount(); }
    clsEngines *engineAt(int row) const { return m_model.engineAt(row); }
    // Engines and names in displayed order.
    const QList<clsEngines *> &engines() const { return m_model.engines(); }
    QStringList names() const;
    // Whether the engine of that name (ignoring case) has a row here.
    bool contains(const QString &name) const;

    bool addEngine(clsEngines &engine);
    void addEngines(const QList<clsEngines *> &engines);
    // Removes the rows the test picks, keeping the highlight of the others; the engines removed.
    QList<clsEngines *> removeEngines(const std::function<bool(const clsEngines &)> &picks);
    QList<clsEngines *> removeHighlighted();
    void clear() { m_model.clear(); }

    // Highlighted engines in displayed order.
    QList<clsEngines *> highlightedEngines() const;
    bool isHighlighted(const QString &name) const;
    void setHighlighted(const QString &name, bool highlighted);
    // The engine of the current row, or the empty text.
    QString currentName() const;
    // Highlights that engine alone, makes its row current and scrolls to it.
    void showOnly(const QString &name);

    void sortItems(int column, Qt::SortOrder order);

private:
    int rowOfName(const QString &name) const;

    EngineListModel m_model;
};
