#include "shell/concordancewindow.h"

#include <QAbstractTableModel>
#include <QComboBox>
#include <QFont>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <unordered_map>
#include <utility>

#include "pages/filelist.h"
#include "panel/kwicdelegate.h"
#include "panel/leftform.h"
#include "shell/resultexport.h"

namespace shell {

namespace {

constexpr int kMaxChunksInFlight = 2;
constexpr char kIndexBaseName[] = "Index";

QString ToQString(std::u32string_view text) {
    return QString::fromUcs4(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

// The lines as a table: 左文脈, 検索語, 右文脈, 書名, 巻, 頁. Texts are made
// only for the rows the view asks for.
class KwicTableModel : public QAbstractTableModel {
  public:
    enum Column { kLeft, kHit, kRight, kTitle, kVolume, kPage, kColumnCount };

    explicit KwicTableModel(const std::vector<panel::SearchNodeTag>& rows, QObject* parent)
        : QAbstractTableModel(parent), m_rows(rows) {
        for (std::size_t i = 0; i < rows.size(); ++i)
            m_rowOfRecord.emplace(static_cast<std::uint32_t>(rows[i].recordIndex), i);
    }

    int rowCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : static_cast<int>(m_lines.size());
    }
    int columnCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : kColumnCount;
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
        static const char* const kNames[] = {"左文脈", "検索語", "右文脈", "書名", "巻", "頁"};
        return section >= 0 && section < kColumnCount ? QString::fromUtf8(kNames[section])
                                                      : QVariant();
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= static_cast<int>(m_lines.size())) return {};
        const engine::KwicLine& line = m_lines[static_cast<std::size_t>(index.row())];
        const int column = index.column();
        if (role == Qt::TextAlignmentRole) {
            if (column == kLeft || column == kPage)
                return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
            if (column == kHit) return QVariant::fromValue(Qt::AlignCenter);
            return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
        }
        if (role == Qt::ForegroundRole && column == kHit) return QColor(0xC0, 0x00, 0x00);
        if (role == Qt::FontRole && column == kHit) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        // The left context is painted by the delegate, right-aligned and cut
        // at its start, so that the characters next to the hit stay in view.
        if (role == panel::kKwicLeftRole) return ToQString(line.left);
        if (role == panel::kKwicHitRole && column == kLeft) return QString();
        if (role != Qt::DisplayRole) return {};
        const panel::SearchNodeTag* row = RowOf(line.record);
        switch (column) {
            case kLeft:
                return ToQString(line.left);
            case kHit:
                return ToQString(line.hit);
            case kRight:
                return ToQString(line.right);
            case kTitle:
                return row ? QString::fromStdString(row->title) : QString();
            case kVolume:
                return row ? QString::fromStdString(row->volume) : QString();
            case kPage:
                return row ? row->page : QVariant();
            default:
                return {};
        }
    }

    void Append(std::vector<engine::KwicLine>& lines) {
        if (lines.empty()) return;
        const int first = static_cast<int>(m_lines.size());
        beginInsertRows({}, first, first + static_cast<int>(lines.size()) - 1);
        m_lines.insert(m_lines.end(), std::make_move_iterator(lines.begin()),
                       std::make_move_iterator(lines.end()));
        endInsertRows();
    }

    void Sort(engine::KwicSort sort) {
        beginResetModel();
        engine::SortKwicLines(m_lines, sort);
        endResetModel();
    }

    const std::vector<engine::KwicLine>& Lines() const { return m_lines; }

  private:
    const panel::SearchNodeTag* RowOf(std::uint32_t record) const {
        const auto it = m_rowOfRecord.find(record);
        return it == m_rowOfRecord.end() ? nullptr : &m_rows[it->second];
    }

    const std::vector<panel::SearchNodeTag>& m_rows;
    std::unordered_map<std::uint32_t, std::size_t> m_rowOfRecord;
    std::vector<engine::KwicLine> m_lines;
};

CConcordanceWindow::CConcordanceWindow(ConcordanceRequest request, const engine::KwicQuery& query,
                                       OpenHit open, QWidget* parent)
    : QWidget(parent, Qt::Window), m_request(std::move(request)), m_open(std::move(open)) {
    setObjectName(QStringLiteral("CConcordanceWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("用例一覧：") +
                   QString::fromStdU16String(m_request.keyword).replace(QChar(0x3000), QChar(' ')));
    const QSize room = screen() ? screen()->availableSize() : QSize(900, 560);
    resize(std::min(900, room.width()), std::min(560, room.height()));

    m_model = new KwicTableModel(m_request.rows, this);
    m_table = new QTableView(this);
    m_table->setModel(m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setWordWrap(false);
    m_table->verticalHeader()->setVisible(false);
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    m_table->horizontalHeader()->setStretchLastSection(false);
    const int em = m_table->fontMetrics().horizontalAdvance(QChar(0x4E00));
    const int widths[] = {em * 13, em * 4, em * 13, em * 8, em * 5, em * 3};
    for (int c = 0; c < KwicTableModel::kColumnCount; ++c) m_table->setColumnWidth(c, widths[c]);
    m_table->setItemDelegateForColumn(KwicTableModel::kLeft,
                                      new panel::KwicDelegate(panel::KwicPart::Left, m_table));
    connect(m_table, &QTableView::doubleClicked, this,
            [this](const QModelIndex& index) { OpenRow(index.row()); });

    m_sort = new QComboBox(this);
    m_sort->addItems(
        {QStringLiteral("出現順"), QStringLiteral("左文脈順"), QStringLiteral("右文脈順")});
    m_sort->setEnabled(false);
    connect(m_sort, &QComboBox::activated, this,
            [this](int which) { SortBy(static_cast<engine::KwicSort>(which)); });
    m_progress = new QProgressBar(this);
    m_cancel = new QPushButton(QStringLiteral("中止"), this);
    connect(m_cancel, &QPushButton::clicked, this, &CConcordanceWindow::Cancel);
    m_status = new QLabel(this);
    m_save = new QPushButton(QStringLiteral("保存…"), this);
    m_save->setEnabled(false);
    connect(m_save, &QPushButton::clicked, this, [this] { SaveLines({}); });

    auto* bar = new QHBoxLayout;
    bar->addWidget(new QLabel(QStringLiteral("並べ替え"), this));
    bar->addWidget(m_sort);
    bar->addWidget(m_status, 1);
    bar->addWidget(m_progress);
    bar->addWidget(m_cancel);
    bar->addWidget(m_save);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(m_table, 1);

    std::vector<std::uint32_t> records;
    records.reserve(m_request.rows.size());
    for (const panel::SearchNodeTag& row : m_request.rows)
        records.push_back(static_cast<std::uint32_t>(row.recordIndex));
    std::sort(records.begin(), records.end());
    m_run = std::make_unique<engine::ConcordanceRun>(std::move(records), query, m_request.textLayer,
                                                     engine::kDefaultKwicWidth);
    Start();
}

CConcordanceWindow::~CConcordanceWindow() { StopWorker(); }

void CConcordanceWindow::Start() {
    const std::size_t pages = m_run->PageCount();
    m_progress->setRange(0, static_cast<int>(pages));
    m_progress->setValue(0);
    if (pages == 0) {
        m_status->setText(QStringLiteral("該当する箇所はありません。"));
        m_progress->hide();
        m_cancel->hide();
        QMetaObject::invokeMethod(this, &CConcordanceWindow::filled, Qt::QueuedConnection);
        return;
    }
    m_running = true;
    m_status->setText(QStringLiteral("読み込み中…"));
    m_worker = std::thread([this] {
        pages::CFileList store;
        const bool opened = store.Load(m_request.dataDir, kIndexBaseName);
        bool more = opened;
        std::size_t step = std::max<std::size_t>(1, m_request.firstChunkPages);
        while (more && !m_stop.load(std::memory_order_relaxed)) {
            auto chunk = std::make_shared<std::vector<engine::KwicLine>>();
            more = m_run->Step(store, step, *chunk);
            step = std::max<std::size_t>(1, m_request.chunkPages);
            const std::size_t done = m_run->PagesDone();
            {
                std::unique_lock lock(m_mutex);
                m_wake.wait(lock, [this] {
                    return m_inFlight < kMaxChunksInFlight ||
                           m_stop.load(std::memory_order_relaxed);
                });
                ++m_inFlight;
            }
            QMetaObject::invokeMethod(
                this, [this, chunk, done, more] { OnChunk(chunk, done, !more); },
                Qt::QueuedConnection);
        }
        if (!opened || more) {
            {
                const std::lock_guard lock(m_mutex);
                ++m_inFlight;
            }
            QMetaObject::invokeMethod(
                this,
                [this, opened] {
                    OnChunk(std::make_shared<std::vector<engine::KwicLine>>(),
                            opened ? m_run->PagesDone() : 0, true);
                },
                Qt::QueuedConnection);
        }
    });
}

void CConcordanceWindow::OnChunk(std::shared_ptr<std::vector<engine::KwicLine>> chunk,
                                 std::size_t pagesDone, bool last) {
    {
        const std::lock_guard lock(m_mutex);
        --m_inFlight;
    }
    m_wake.notify_all();
    if (!m_running) return;
    m_model->Append(*chunk);
    m_progress->setValue(static_cast<int>(pagesDone));
    const QString count = QString::number(m_model->rowCount({}));
    if (!last) {
        m_status->setText(QStringLiteral("%1 箇所（読み込み中）").arg(count));
        return;
    }
    m_running = false;
    if (m_worker.joinable()) m_worker.join();
    m_cancel->setEnabled(false);
    m_sort->setEnabled(true);
    m_save->setEnabled(m_model->rowCount({}) > 0);
    const bool complete = pagesDone == m_run->PageCount();
    m_status->setText(complete ? QStringLiteral("全部で %1 箇所").arg(count)
                               : QStringLiteral("中止しました（%1 箇所まで）").arg(count));
    emit filled();
}

void CConcordanceWindow::Cancel() {
    if (!m_running) return;
    {
        const std::lock_guard lock(m_mutex);
        m_stop.store(true, std::memory_order_relaxed);
    }
    m_wake.notify_all();
}

void CConcordanceWindow::StopWorker() {
    {
        const std::lock_guard lock(m_mutex);
        m_stop.store(true, std::memory_order_relaxed);
    }
    m_wake.notify_all();
    if (m_worker.joinable()) m_worker.join();
}

int CConcordanceWindow::LineCount() const { return m_model->rowCount({}); }

const engine::KwicLine* CConcordanceWindow::LineAt(int row) const {
    const auto& lines = m_model->Lines();
    return row >= 0 && row < static_cast<int>(lines.size()) ? &lines[static_cast<std::size_t>(row)]
                                                            : nullptr;
}

void CConcordanceWindow::SortBy(engine::KwicSort sort) {
    if (m_running) return;
    m_model->Sort(sort);
    m_sort->setCurrentIndex(static_cast<int>(sort));
}

bool CConcordanceWindow::SaveLines(const QString& path) {
    if (m_running) return false;
    return SaveExport(this, ConcordanceExportRows(m_model->Lines(), m_request.rows), path,
                      m_request.notify);
}

void CConcordanceWindow::OpenRow(int row) {
    const engine::KwicLine* line = LineAt(row);
    if (line && m_open) m_open(line->record, static_cast<int>(line->ordinal));
}

CConcordanceWindow* OpenConcordance(panel::CLeftForm& form, const std::string& dataDir,
                                    QWidget* parent, std::function<void()> afterOpen,
                                    std::function<void(const QString&)> notify) {
    ConcordanceRequest request;
    request.notify = std::move(notify);
    request.dataDir = dataDir;
    request.keyword = form.Keyword();
    request.textLayer = form.TextLayer();
    request.variants = form.Variants();
    request.rows = form.Rows();
    const engine::KwicQuery query(request.keyword, request.variants, form.Index().VariantGroups());
    const std::u16string keyword = request.keyword;
    const int layer = request.textLayer;
    const bool variants = request.variants;
    panel::CLeftForm* target = &form;
    auto* window = new CConcordanceWindow(
        std::move(request), query,
        [target, keyword, layer, variants, afterOpen](std::uint32_t record, int ordinal) {
            panel::CPageDisplay& display = target->PageDisplay();
            if (display.ShowResultPage(record, keyword, layer, variants) && ordinal > 0)
                display.GoToHit(ordinal);
            if (afterOpen) afterOpen();
        },
        parent);
    window->show();
    return window;
}

}  // namespace shell
