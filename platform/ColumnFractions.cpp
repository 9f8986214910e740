#include "platform/ColumnFractions.h"

#include <QEvent>
#include <QTreeView>

#include <numeric>

namespace Platform {
namespace {

// Watches the list's viewport, the part whose width the columns share.
class ColumnFractionKeeper : public QObject {
public:
    ColumnFractionKeeper(QTreeView *list, const QList<double> &fractions)
        : QObject(list), m_list(list), m_fractions(fractions)
    {
        list->viewport()->installEventFilter(this);
        apply();
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Resize && watched == m_list->viewport())
            apply();
        return QObject::eventFilter(watched, event);
    }

private:
    void apply()
    {
        const int width = m_list->viewport()->width();
        if (width <= 0)
            return;
        const QList<int> widths = columnWidths(width, m_fractions);
        for (int column = 0; column < widths.size(); ++column)
            m_list->setColumnWidth(column, widths[column]);
    }

    QTreeView *m_list;
    QList<double> m_fractions;
};

} // namespace

QList<int> columnWidths(int width, const QList<double> &fractions)
{
    const double total = std::accumulate(fractions.begin(), fractions.end(), 0.0);
    const double whole = total > 1.0 ? total : 1.0;
    QList<int> widths;
    // The small addition keeps a share such as 0.3/5 of 500 at 30 despite the rounding of 0.3.
    for (double fraction : fractions)
        widths.append(static_cast<int>(width * fraction / whole + 1e-9));
    return widths;
}

void keepColumnFractions(QTreeView *list, const QList<double> &fractions)
{
    if (list)
        new ColumnFractionKeeper(list, fractions);
}

} // namespace Platform
