// CParallelsDock: the 類似箇所 panel. Runs a parallels search on a worker
// thread, shows its progress with a cancel button, then the ranked result
// pages (and the formulas) in a table; activating a row opens that page with
// its shared runs marked through the open service, which also gets the
// history entry that marks the passage's own runs on the passage's page.
//
// The worker searches with an index of its own, loaded on first use and
// kept for the next searches, so the form's index stays the GUI thread's.
// Only one search runs at a time: starting another cancels the running one
// and waits for it. The shortest run N comes from the spin box (3 to 20)
// and is kept in the settings. UI thread only.
#pragma once

#include <QDockWidget>
#include <QTimer>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/parallelsearch.h"
#include "panel/catalogue.h"
#include "panel/passagemarks.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableView;
class QThread;

namespace panel {

class ParallelsModel;

class CParallelsDock : public QDockWidget {
    Q_OBJECT
  public:
    struct Services {
        std::string dataDir;
        const Catalogue* catalogue = nullptr;        // names the result pages
        std::function<void(const QString&)> notify;  // a message box
        // Shows record with the spans marked; passagePage, when there is one,
        // shows the passage's page with the passage's runs of that result
        // marked (for going back to it).
        std::function<void(std::uint32_t, const std::vector<pages::PositionSpan>&,
                           const std::optional<HistoryEntry>& passagePage)>
            open;
    };

    explicit CParallelsDock(Services services, QWidget* parent = nullptr);
    ~CParallelsDock() override;

    // Searches the parallels of text, or of the whole page record when text
    // is empty; record is the passage's page (left out of the result) or -1.
    void Start(std::u16string text, std::int64_t record, bool variants);
    void Cancel();
    bool Running() const { return m_worker != nullptr; }

    // Opens the result page of a table row (formula rows open nothing).
    void OpenRow(int row);

    ParallelsModel* Model() const { return m_model; }
    QTableView* Table() const { return m_table; }
    QSpinBox* MinRunBox() const { return m_minRun; }
    QPushButton* CancelButton() const { return m_cancelButton; }

  signals:
    // A search ended: finished, cancelled or refused.
    void searchEnded();

  private:
    void OnWorkerDone();
    void SetPassageMarks();
    void OnTick();
    void Join();

    Services m_services;
    std::unique_ptr<engine::CIndex> m_index;  // the worker's
    QThread* m_worker = nullptr;
    std::atomic<bool> m_cancel{false};
    std::atomic<std::uint32_t> m_done{0};
    std::atomic<std::uint32_t> m_total{0};
    engine::ParallelReport m_pending;  // written by the worker, read once it ended
    engine::ParallelPassage m_pendingPassage;
    engine::ParallelPassage m_pendingPage;  // the passage's page, when it has one
    PassageMarks m_marks;
    bool m_loadFailed = false;
    QString m_passageLabel;
    QTimer m_tick;

    ParallelsModel* m_model = nullptr;
    QLabel* m_status = nullptr;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_cancelButton = nullptr;
    QSpinBox* m_minRun = nullptr;
    QTableView* m_table = nullptr;
};

}  // namespace panel
