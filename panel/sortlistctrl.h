// CSortListCtrl: the result list. A report-style list of four columns
// (類別, 書名, 巻, 頁) whose rows carry the page record index as item data.
// A click on the 頁 header sorts the rows now in the list by the number in
// that column, ascending; clicks on the other headers do nothing. Sorting
// rearranges only the list, never the form's rows. Columns fit their texts;
// where 書名 must give way, cut names carry a tooltip. Owned by the left form.
#pragma once

#include <QTreeWidget>
#include <cstdint>

namespace panel {

class CSortListCtrl : public QTreeWidget {
    Q_OBJECT
  public:
    static constexpr int kPageColumn = 3;

    explicit CSortListCtrl(QWidget* parent = nullptr);

    // Appends a row; recordIndex becomes the item's data.
    void AddRow(const QString& category, const QString& title, const QString& volume, int page,
                std::int32_t recordIndex);
    // The record index of row, or -1 when there is no such row.
    std::int32_t RecordIndexAt(int row) const;
    // The record index of the selected row, or -1 when none is selected.
    std::int32_t SelectedRecordIndex() const;
    // Sorts by the 頁 column (what a click on its header does).
    void SortByPage();
    // Sizes the columns to their texts (see columnfit.h) and gives every
    // cell whose text is cut a tooltip with the whole text. Run after the
    // rows are filled and on every resize.
    void FitColumns();
    // Marks a column whose cells hold lines of corpus text: FitColumns
    // reckons them by FullWidthTextWidth instead of shaping each.
    void SetFullWidthColumn(int column) { m_fullWidthColumn = column; }

  signals:
    // A row became selected (not emitted when the selection is cleared).
    void resultItemSelected(std::int32_t recordIndex);

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void OnHeaderClicked(int column);

    int m_fullWidthColumn = -1;
};

}  // namespace panel
