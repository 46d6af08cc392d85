#include "ui/ColumnFit.h"

#include <QAbstractItemModel>
#include <QEvent>
#include <QHeaderView>
#include <QStyle>
#include <QStyleOptionHeader>
#include <QStyleOptionViewItem>
#include <QTableView>
#include <QTreeView>
#include <algorithm>

namespace vellora {

namespace {

int headerTextWidth(const QHeaderView* header, int column) {
    const QAbstractItemModel* model = header->model();
    if (!model || header->isHidden()) return 0;
    const QString text = model->headerData(column, header->orientation(), Qt::DisplayRole).toString();
    QStyleOptionHeader opt;
    opt.initFrom(header);
    opt.section = column;
    opt.text = text;
    opt.fontMetrics = header->fontMetrics();
    // Room for the sort arrow, which the style draws beside the text.
    opt.sortIndicator =
        header->isSortIndicatorShown() ? QStyleOptionHeader::SortDown : QStyleOptionHeader::None;
    const QSize size = header->style()->sizeFromContents(QStyle::CT_HeaderSection, &opt, QSize(), header);
    int width = size.width();
    if (header->isSortIndicatorShown())
        width += header->style()->pixelMetric(QStyle::PM_HeaderMarkSize, &opt, header);
    return width;
}

int sampleWidth(const QAbstractItemView* view, const QString& sample, bool withIcon) {
    if (sample.isEmpty()) return 0;
    QStyleOptionViewItem opt;
    opt.initFrom(view);
    opt.font = view->font();
    opt.fontMetrics = view->fontMetrics();
    opt.text = sample;
    opt.features = QStyleOptionViewItem::HasDisplay;
    if (withIcon) {
        opt.features |= QStyleOptionViewItem::HasDecoration;
        opt.decorationSize = view->iconSize().isValid()
                                 ? view->iconSize()
                                 : QSize(view->style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, view),
                                         view->style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, view));
    }
    return view->style()->sizeFromContents(QStyle::CT_ItemViewItem, &opt, QSize(), view).width();
}

template <class View>
void fitOnce(View* view, QHeaderView* header, const QStringList& samples, const QList<int>& iconColumns) {
    if (!view || !header || !view->model()) return;
    const int count = header->count();
    QList<int> fits;
    for (int column = 0; column < count; ++column) {
        const QString sample = column < samples.size() ? samples[column] : QString();
        int fit = columnFitWidth(view, header, column, sample, iconColumns.contains(column));
        // A tree indents its first column.
        if constexpr (std::is_same_v<View, QTreeView>) {
            if (column == 0 && view->rootIsDecorated()) fit += view->indentation();
        }
        fits << fit;
        if (header->sectionSize(column) < fit) header->resizeSection(column, fit);
    }
    // Columns without a sample (free text such as a name) give up width first, so that the measured
    // columns stay in view rather than behind a scroll bar.
    // A hidden view's viewport has no real width yet; the resize on showing fits it again.
    int excess = view->isVisible() ? header->length() - view->viewport()->width() : 0;
    for (int column = 0; column < count - 1 && excess > 0; ++column) {
        const bool free = column >= samples.size() || samples[column].isEmpty();
        if (!free || header->isSectionHidden(column)) continue;
        const int give = std::min(excess, header->sectionSize(column) - fits[column]);
        if (give <= 0) continue;
        header->resizeSection(column, header->sectionSize(column) - give);
        excess -= give;
    }
    header->setMinimumSectionSize(std::min(header->minimumSectionSize(), 24));
    header->setStretchLastSection(true);
}

// Keeps a view's columns fitted when its viewport changes size (a window resized, a scale change).
template <class View>
class FitKeeper : public QObject {
public:
    FitKeeper(View* view, QHeaderView* header) : QObject(view), view_(view), header_(header) {
        setObjectName(QStringLiteral("velloraColumnFit"));
        view->viewport()->installEventFilter(this);
    }
    void set(const QStringList& samples, const QList<int>& iconColumns) {
        samples_ = samples;
        iconColumns_ = iconColumns;
    }
    void fit() { fitOnce(view_, header_, samples_, iconColumns_); }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Resize) fit();
        return false;
    }

private:
    View* view_;
    QHeaderView* header_;
    QStringList samples_;
    QList<int> iconColumns_;
};

template <class View>
void fitAll(View* view, QHeaderView* header, const QStringList& samples, const QList<int>& iconColumns) {
    if (!view || !header) return;
    auto* keeper = view->template findChild<FitKeeper<View>*>(QStringLiteral("velloraColumnFit"),
                                                              Qt::FindDirectChildrenOnly);
    if (!keeper) keeper = new FitKeeper<View>(view, header);
    keeper->set(samples, iconColumns);
    keeper->fit();
}

}  // namespace

int columnFitWidth(const QAbstractItemView* view, const QHeaderView* header, int column,
                   const QString& sample, bool withIcon) {
    if (!view || !header) return 0;
    // A few pixels beyond the measured text, so no style rounds it into an ellipsis.
    const int slack = view->fontMetrics().averageCharWidth();
    return std::max(headerTextWidth(header, column), sampleWidth(view, sample, withIcon)) + slack;
}

void fitColumns(QTreeView* view, const QStringList& samples, const QList<int>& iconColumns) {
    if (view) fitAll(view, view->header(), samples, iconColumns);
}

void fitColumns(QTableView* view, const QStringList& samples, const QList<int>& iconColumns) {
    if (view) fitAll(view, view->horizontalHeader(), samples, iconColumns);
}

}  // namespace vellora
