#include "panel/sortlistctrl.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>
#include <vector>

#include "panel/columnfit.h"

namespace panel {

namespace {

constexpr int kRecordRole = Qt::UserRole;

// The leading decimal digits of text, 0 when there are none.
long long LeadingNumber(const QString& text) {
    long long value = 0;
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) break;
        value = value * 10 + (c.unicode() - '0');
        if (value > 1'000'000'000'000LL) break;
    }
    return value;
}

}  // namespace

CSortListCtrl::CSortListCtrl(QWidget* parent) : QTreeWidget(parent) {
    setColumnCount(4);
    setHeaderLabels({QStringLiteral("類別"), QStringLiteral("書名"), QStringLiteral("巻"),
                     QStringLiteral("頁")});
    setColumnWidth(0, 45);
    setColumnWidth(1, 80);
    setColumnWidth(2, 60);
    setColumnWidth(3, 60);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setAllColumnsShowFocus(true);
    setSortingEnabled(false);
    header()->setSectionsClickable(true);
    header()->setSortIndicatorShown(false);
    header()->setStretchLastSection(false);
    connect(header(), &QHeaderView::sectionClicked, this, &CSortListCtrl::OnHeaderClicked);
    connect(this, &QTreeWidget::itemSelectionChanged, this, [this] {
        const std::int32_t record = SelectedRecordIndex();
        if (record >= 0) emit resultItemSelected(record);
    });
}

void CSortListCtrl::AddRow(const QString& category, const QString& title, const QString& volume,
                           int page, std::int32_t recordIndex) {
    auto* item = new QTreeWidgetItem(this, {category, title, volume, QString::number(page)});
    item->setData(0, kRecordRole, recordIndex);
}

void CSortListCtrl::FitColumns() {
    constexpr int kTitleColumn = 1;
    constexpr int kPadding = 14;
    constexpr int kTitleMinimum = 40;
    const QFontMetrics cells(font());
    const QFontMetrics heads(header()->font());
    const int ideograph = cells.horizontalAdvance(QChar(0x4E00));
    const int rows = topLevelItemCount();
    // Every cell is measured once, for the widths and for the tooltips.
    std::vector<int> textWidth(static_cast<std::size_t>(rows) * columnCount());
    std::vector<int> needed;
    for (int column = 0; column < columnCount(); ++column) {
        int width = heads.horizontalAdvance(headerItem()->text(column));
        for (int row = 0; row < rows; ++row) {
            const QString text = topLevelItem(row)->text(column);
            const int w =
                column == m_fullWidthColumn
                    ? FullWidthTextWidth(
                          std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                              static_cast<std::size_t>(text.size())),
                          ideograph)
                    : cells.horizontalAdvance(text);
            textWidth[static_cast<std::size_t>(row) * columnCount() + column] = w;
            width = std::max(width, w);
        }
        needed.push_back(width + kPadding);
    }
    // Room is kept for a vertical scroll bar, which comes with more rows.
    int available = viewport()->width();
    if (!verticalScrollBar()->isVisible()) {
        available -= style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    }
    const std::vector<int> widths =
        panel::FitColumns(needed, available, kTitleColumn, kTitleMinimum);
    for (int column = 0; column < columnCount(); ++column) {
        setColumnWidth(column, widths[static_cast<std::size_t>(column)]);
        for (int row = 0; row < rows; ++row) {
            QTreeWidgetItem* item = topLevelItem(row);
            const bool cut =
                textWidth[static_cast<std::size_t>(row) * columnCount() + column] + kPadding >
                widths[static_cast<std::size_t>(column)];
            item->setToolTip(column, cut ? item->text(column) : QString());
        }
    }
}

void CSortListCtrl::resizeEvent(QResizeEvent* event) {
    QTreeWidget::resizeEvent(event);
    FitColumns();
}

std::int32_t CSortListCtrl::RecordIndexAt(int row) const {
    const QTreeWidgetItem* item = topLevelItem(row);
    return item ? item->data(0, kRecordRole).toInt() : -1;
}

std::int32_t CSortListCtrl::SelectedRecordIndex() const {
    const QList<QTreeWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? -1 : selected.first()->data(0, kRecordRole).toInt();
}

void CSortListCtrl::OnHeaderClicked(int column) {
    if (column == kPageColumn) SortByPage();
}

void CSortListCtrl::SortByPage() {
    const bool blocked = blockSignals(true);
    std::vector<QTreeWidgetItem*> items;
    while (topLevelItemCount() > 0) items.push_back(takeTopLevelItem(0));
    std::stable_sort(items.begin(), items.end(), [](QTreeWidgetItem* a, QTreeWidgetItem* b) {
        return LeadingNumber(a->text(kPageColumn)) < LeadingNumber(b->text(kPageColumn));
    });
    for (QTreeWidgetItem* item : items) addTopLevelItem(item);
    blockSignals(blocked);
}

}  // namespace panel
