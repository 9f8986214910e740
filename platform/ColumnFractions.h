#pragma once
// List columns whose widths are fractions of the list's visible width, kept so whenever that
// width changes.
#include <QList>

class QTreeView;

namespace Platform {

// The widths of columns taking `fractions` of `width`, truncated to whole pixels. Fractions that
// add up to more than the whole are scaled down together, so the columns always fit.
QList<int> columnWidths(int width, const QList<double> &fractions);

// Sizes the list's columns by `fractions` of its viewport width now and each time the viewport
// changes size (window resized, page shown, vertical scroll bar shown or hidden). The header's
// last column stretches over what the fractions leave.
void keepColumnFractions(QTreeView *list, const QList<double> &fractions);

} // namespace Platform
