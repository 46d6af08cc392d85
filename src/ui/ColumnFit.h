#pragma once
// Column widths of list and table views measured in the view's current font and style, so that a
// column shows its header and a typical entry in full at any font size or scale factor.
//
//   fitColumns(list, {QStringLiteral("GC1ABCD"), {}, QStringLiteral("9999.9")});
//
// Call it after the header labels are set (and again after a font change); widths set before,
// for example stored ones, are kept where they are wider. The last column takes the rest.
#include <QStringList>

class QAbstractItemView;
class QHeaderView;
class QTreeView;
class QTableView;

namespace vellora {

// Smallest width of column `column` that shows its header text and `sample` (an entry with the
// view's icon size when withIcon) without eliding.
int columnFitWidth(const QAbstractItemView* view, const QHeaderView* header, int column,
                   const QString& sample, bool withIcon = false);

// Raises every column to its fit width (samples[i]; missing or empty: the header alone) and lets
// the last column stretch. iconColumns: columns whose entries carry an icon.
void fitColumns(QTreeView* view, const QStringList& samples = {}, const QList<int>& iconColumns = {});
void fitColumns(QTableView* view, const QStringList& samples = {}, const QList<int>& iconColumns = {});

}  // namespace vellora
