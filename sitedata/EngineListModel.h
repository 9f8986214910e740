#pragma once
// The rows of an engine list: engines of myEngines() by name, type and country, each engine at
// most once. A row is only a pointer to the engine's record, so a list of every engine costs a few
// bytes per engine. The records belong to myEngines(): when it is cleared, the model empties
// itself first, so no row outlives its record.
#include <functional>

#include <QAbstractTableModel>
#include <QList>
#include <QSet>
#include <QStringList>

class clsEngines;

class EngineListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int ColumnCount = 3;   // name, type, country

    explicit EngineListModel(QObject *parent = nullptr);
    ~EngineListModel() override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant &value, int role) override;
    // Stable: rows of equal text keep their order. Texts compare as plain strings.
    void sort(int column, Qt::SortOrder order) override;

    clsEngines *engineAt(int row) const;
    // The row of the engine, or -1. Goes through the rows: meant for single rows.
    int rowOf(const clsEngines *engine) const;
    bool contains(const clsEngines *engine) const { return m_members.contains(engine); }
    const QList<clsEngines *> &engines() const { return m_rows; }

    // Appends the engines not already listed, in one insertion; the number appended.
    int append(const QList<clsEngines *> &engines);
    // Removes every row the test picks, in one pass; the engines removed, in row order. The model
    // is reset: a view must restore its own selection.
    QList<clsEngines *> removeWhere(const std::function<bool(const clsEngines &)> &picks);
    void clear();

    static QString columnText(const clsEngines &engine, int column);

private:
    QList<clsEngines *> m_rows;
    QSet<const clsEngines *> m_members;
    QStringList m_headers;
    int m_clearHandler = -1;
};
