// CDistributionWindow: where the hits of the current search lie, as bars
// (pages and hits per category, then per title: the 20 titles with most
// hits and the rest as one bar) painted by the window itself, and the same
// numbers in a table. A click on a category or title bar (or table row)
// makes that entry the search scope and searches again; the window then
// shows the new distribution. UI thread only.
#pragma once

#include <QWidget>
#include <functional>
#include <span>
#include <vector>

#include "panel/catalogue.h"
#include "panel/distribution.h"

class QLabel;
class QTableWidget;

namespace panel {
class CLeftForm;
}

namespace shell {

// One bar: an entry of the distribution and the catalogue slot it narrows
// to (0 for the rest, which narrows to nothing).
struct DistributionBar {
    panel::DistributionEntry entry;
    int slot = 0;
};

class CDistributionChart : public QWidget {
    Q_OBJECT
  public:
    explicit CDistributionChart(QWidget* parent = nullptr);
    void SetBars(std::vector<DistributionBar> bars);
    const std::vector<DistributionBar>& Bars() const { return m_bars; }
    // The rectangle of bar i (for tests and hit testing).
    QRect BarRect(int i) const;
    QSize sizeHint() const override;

  signals:
    void barClicked(int index);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    std::vector<DistributionBar> m_bars;
};

class CDistributionWindow : public QWidget {
    Q_OBJECT
  public:
    CDistributionWindow(panel::CLeftForm& form, QWidget* parent = nullptr);
    // Reads the form's rows again.
    void Refresh();
    CDistributionChart* Chart() const { return m_chart; }
    QTableWidget* Table() const { return m_table; }
    // Narrows the scope to bar i's entry and searches again.
    void Narrow(int i);

  private:
    panel::CLeftForm& m_form;
    CDistributionChart* m_chart = nullptr;
    QTableWidget* m_table = nullptr;
    QLabel* m_status = nullptr;
};

// The bars of rows: categories, then the top titles and the rest, each
// with its catalogue slot.
std::vector<DistributionBar> DistributionBars(const panel::Catalogue& catalogue,
                                              std::span<const panel::SearchNodeTag> rows);

}  // namespace shell
