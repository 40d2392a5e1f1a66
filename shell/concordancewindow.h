// CConcordanceWindow: every hit of the current search on one line (left
// context | hit | right context | 書名, 巻, 頁), in a table that draws only
// the rows in view. A worker thread reads the pages with its own page store
// and hands the lines over in chunks, so the window fills while the user
// reads; a progress bar and 中止 show and stop it. Once filled (or stopped)
// the lines can be sorted by position, by the left context read from right
// to left, or by the right context. A double click opens the page at that
// hit. UI thread only; the worker touches nothing but its own objects.
#pragma once

#include <QWidget>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/concordance.h"
#include "panel/resultrows.h"

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableView;

namespace panel {
class CLeftForm;
}

namespace shell {

class KwicTableModel;

struct ConcordanceRequest {
    std::string dataDir;
    std::u16string keyword;
    int textLayer = 0;
    bool variants = true;
    std::vector<panel::SearchNodeTag> rows;      // the result rows: pages and their names
    std::size_t firstChunkPages = 16;            // pages read before the first lines show
    std::size_t chunkPages = 512;                // pages read per later chunk
    std::function<void(const QString&)> notify;  // reports a failed save
};

class CConcordanceWindow : public QWidget {
    Q_OBJECT
  public:
    // Opens the page of record at its hit number ordinal.
    using OpenHit = std::function<void(std::uint32_t record, int ordinal)>;

    CConcordanceWindow(ConcordanceRequest request, const engine::KwicQuery& query, OpenHit open,
                       QWidget* parent = nullptr);
    ~CConcordanceWindow() override;

    QTableView* Table() const { return m_table; }
    QComboBox* SortBox() const { return m_sort; }
    QPushButton* CancelButton() const { return m_cancel; }
    QLabel* Status() const { return m_status; }
    bool Running() const { return m_running; }
    int LineCount() const;
    // The line shown in row: record, ordinal, left, hit, right.
    const engine::KwicLine* LineAt(int row) const;
    void Cancel();
    void SortBy(engine::KwicSort sort);
    void OpenRow(int row);
    // Writes the lines in their current order (to path, or to a file asked
    // for when path is empty); false when nothing was written.
    bool SaveLines(const QString& path);

  signals:
    // The worker finished or was stopped; every line read is in the table.
    void filled();

  private:
    void Start();
    void OnChunk(std::shared_ptr<std::vector<engine::KwicLine>> chunk, std::size_t pagesDone,
                 bool last);
    void StopWorker();

    ConcordanceRequest m_request;
    OpenHit m_open;
    KwicTableModel* m_model = nullptr;
    QTableView* m_table = nullptr;
    QComboBox* m_sort = nullptr;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_save = nullptr;
    QLabel* m_status = nullptr;
    std::thread m_worker;
    std::atomic<bool> m_stop{false};
    // Chunks handed over but not yet shown: the worker stays at most two
    // ahead of the window, so the event queue never floods and 中止 takes
    // effect at once.
    std::mutex m_mutex;
    std::condition_variable m_wake;
    int m_inFlight = 0;
    bool m_running = false;
    std::vector<std::uint32_t> m_records;
    std::unique_ptr<engine::ConcordanceRun> m_run;
};

// Opens a concordance window over the form's current result: its rows,
// keyword, text layer and variant choice. A double-clicked line shows its
// page in the reader at that hit; afterOpen runs then (command updates).
CConcordanceWindow* OpenConcordance(panel::CLeftForm& form, const std::string& dataDir,
                                    QWidget* parent, std::function<void()> afterOpen,
                                    std::function<void(const QString&)> notify);

}  // namespace shell
