#include "panel/parallelsdock.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTableView>
#include <QThread>
#include <QVBoxLayout>

#include "panel/parallelsmodel.h"
#include "panel/recordnames.h"

namespace panel {
namespace {

const QString kMinRunKey = QStringLiteral("Parallels/MinRun");

int StoredMinRun() {
    bool ok = false;
    const int value = QSettings().value(kMinRunKey).toInt(&ok);
    if (!ok || value < engine::kMinParallelRun || value > engine::kMaxParallelRun)
        return engine::kDefaultParallelRun;
    return value;
}

}  // namespace

CParallelsDock::CParallelsDock(Services services, QWidget* parent)
    : QDockWidget(QStringLiteral("類似箇所"), parent), m_services(std::move(services)) {
    setObjectName(QStringLiteral("CParallelsDock"));
    auto* body = new QWidget(this);
    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(4, 2, 4, 2);
    auto* bar = new QHBoxLayout;
    m_status = new QLabel(body);
    m_status->setTextFormat(Qt::PlainText);
    bar->addWidget(m_status, 1);
    bar->addWidget(new QLabel(QStringLiteral("一致する字数"), body));
    m_minRun = new QSpinBox(body);
    m_minRun->setRange(engine::kMinParallelRun, engine::kMaxParallelRun);
    m_minRun->setValue(StoredMinRun());
    bar->addWidget(m_minRun);
    m_progress = new QProgressBar(body);
    m_progress->setMaximumWidth(200);
    m_progress->setVisible(false);
    bar->addWidget(m_progress);
    m_cancelButton = new QPushButton(QStringLiteral("中止"), body);
    m_cancelButton->setEnabled(false);
    bar->addWidget(m_cancelButton);
    column->addLayout(bar);

    m_model = new ParallelsModel(this);
    m_table = new QTableView(body);
    m_table->setModel(m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->setVisible(false);
    m_table->verticalHeader()->setDefaultSectionSize(22);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setWordWrap(false);
    const int widths[] = {50, 130, 190, 40, 40, 40};
    for (int c = 0; c < 6; ++c) m_table->setColumnWidth(c, widths[c]);
    column->addWidget(m_table, 1);
    setWidget(body);

    connect(m_cancelButton, &QPushButton::clicked, this, &CParallelsDock::Cancel);
    connect(m_minRun, &QSpinBox::valueChanged, this,
            [](int value) { QSettings().setValue(kMinRunKey, value); });
    connect(m_table, &QTableView::activated, this,
            [this](const QModelIndex& index) { OpenRow(index.row()); });
    connect(m_table, &QTableView::clicked, this,
            [this](const QModelIndex& index) { OpenRow(index.row()); });
    m_tick.setInterval(100);
    connect(&m_tick, &QTimer::timeout, this, &CParallelsDock::OnTick);
}

CParallelsDock::~CParallelsDock() {
    m_cancel = true;
    Join();
}

void CParallelsDock::Join() {
    if (!m_worker) return;
    m_worker->wait();
    delete m_worker;
    m_worker = nullptr;
}

void CParallelsDock::Cancel() { m_cancel = true; }

void CParallelsDock::Start(std::u16string text, std::int64_t record, bool variants) {
    if (m_worker) {
        m_cancel = true;
        disconnect(m_worker, nullptr, this, nullptr);
        Join();
    }
    m_cancel = false;
    m_done = 0;
    m_total = 0;
    m_model->Clear();
    m_passageLabel = text.empty() ? QStringLiteral("この頁全体") : QStringLiteral("選んだ箇所");
    m_status->setText(m_passageLabel + QStringLiteral("の類似箇所を探しています…"));
    m_progress->setValue(0);
    m_progress->setVisible(true);
    m_cancelButton->setEnabled(true);

    engine::ParallelOptions options;
    options.minRun = m_minRun->value();
    options.progress = [this](std::uint32_t done, std::uint32_t total) {
        m_done = done;
        m_total = total;
        return !m_cancel.load();
    };
    m_worker = QThread::create([this, text = std::move(text), record, variants, options] {
        m_pending = engine::ParallelReport{};
        m_pendingPassage = engine::ParallelPassage{};
        m_pendingPage = engine::ParallelPassage{};
        m_loadFailed = false;
        if (!m_index) {
            m_index = std::make_unique<engine::CIndex>();
            if (!m_index->Load(m_services.dataDir, "Index", engine::Full)) {
                m_index.reset();
                m_loadFailed = true;
                return;
            }
        }
        engine::ParallelPassage passage;
        if (text.empty()) {
            if (record < 0 ||
                !engine::PassageFromRecord(*m_index, static_cast<std::uint32_t>(record), variants,
                                           passage)) {
                m_loadFailed = true;
                return;
            }
        } else {
            passage = engine::PassageFromText(*m_index, text, variants);
            passage.record = record;
            if (record >= 0)
                engine::PassageFromRecord(*m_index, static_cast<std::uint32_t>(record), variants,
                                          m_pendingPage);
        }
        m_pending = engine::RunParallelSearch(*m_index, passage, options);
        m_pendingPassage = std::move(passage);
    });
    connect(m_worker, &QThread::finished, this, &CParallelsDock::OnWorkerDone);
    m_tick.start();
    m_worker->start();
}

void CParallelsDock::OnTick() {
    const std::uint32_t total = m_total.load();
    if (total == 0) return;
    m_progress->setMaximum(static_cast<int>(total));
    m_progress->setValue(static_cast<int>(m_done.load()));
}

void CParallelsDock::OnWorkerDone() {
    Join();
    m_tick.stop();
    m_progress->setVisible(false);
    m_cancelButton->setEnabled(false);
    engine::ParallelReport report = std::move(m_pending);
    SetPassageMarks();
    if (m_loadFailed) {
        m_status->setText(QString());
        if (m_services.notify) m_services.notify(QStringLiteral("データを開けませんでした。"));
    } else if (report.status == engine::ParallelsStatus::Cancelled) {
        m_status->setText(QStringLiteral("中止しました。"));
    } else if (report.status != engine::ParallelsStatus::Ok) {
        m_status->setText(QString());
        if (m_services.notify)
            m_services.notify(QString::fromUtf8(engine::ParallelsStatusMessage(report.status)));
    } else {
        std::vector<std::uint32_t> records;
        for (const engine::ParallelRow& row : report.rows) records.push_back(row.record);
        std::vector<SearchNodeTag> names;
        if (m_services.catalogue) names = NameRecords(*m_services.catalogue, records);
        QString text = m_passageLabel + QStringLiteral("と%1字以上一致する頁：%2頁")
                                            .arg(m_minRun->value())
                                            .arg(report.rows.size());
        if (!report.formulas.empty())
            text += QStringLiteral("（定型句 %1 件を除く）").arg(report.formulas.size());
        m_status->setText(text);
        m_model->SetReport(std::move(report), std::move(names));
    }
    emit searchEnded();
}

void CParallelsDock::OpenRow(int row) {
    const engine::ParallelRow* page = m_model->PageRow(row);
    if (!page || !m_services.open) return;
    m_services.open(page->record, page->pageSpans, m_marks.EntryFor(page->passageSpans));
}

void CParallelsDock::SetPassageMarks() {
    // A whole page is its own page; a selection is looked for on its page.
    const engine::ParallelPassage& page =
        m_pendingPage.record >= 0 ? m_pendingPage : m_pendingPassage;
    std::vector<std::uint32_t> positions;
    for (const pages::PageChar& ch : page.chars) {
        if (ch.position >= 0) positions.push_back(static_cast<std::uint32_t>(ch.position));
    }
    m_marks.Set(page.record, m_pendingPassage.codes, page.codes, std::move(positions));
}

}  // namespace panel
