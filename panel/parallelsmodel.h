// ParallelsModel: the rows of a parallels search for a table view. One row
// per result page, ranked, then one row per formula (a stretch that very
// many pages share, shown with their count). Columns: 類別, 書名, 巻, 頁,
// 最長, 箇所, 一致箇所 (the page's text with the shared run in 【】).
// UI thread only; the report is handed over whole when a search ends.
#pragma once

#include <QAbstractTableModel>
#include <vector>

#include "engine/parallelsearch.h"
#include "panel/resultrows.h"

namespace panel {

class ParallelsModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    enum Column { kCategory, kTitle, kVolume, kPage, kLongest, kRuns, kText, kColumnCount };

    explicit ParallelsModel(QObject* parent = nullptr);

    // Replaces the rows; names holds one entry per report row, in order.
    void SetReport(engine::ParallelReport report, std::vector<SearchNodeTag> names);
    void Clear();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // The result page of a row, or null for a formula row or no row.
    const engine::ParallelRow* PageRow(int row) const;
    const engine::ParallelReport& Report() const { return m_report; }

  private:
    engine::ParallelReport m_report;
    std::vector<SearchNodeTag> m_names;
};

// "before【shared】after" as one line.
QString SharedTextLine(const engine::SharedText& text);

}  // namespace panel
