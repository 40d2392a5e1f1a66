#include "shell/distributionwindow.h"

#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "panel/leftform.h"

namespace shell {

namespace {

constexpr int kRowHeight = 22;
constexpr int kLabelWidth = 170;
constexpr int kTop = 24;
const QColor kPagesColour(0x99, 0x33, 0x66);
const QColor kHitsColour(0xFF, 0xCC, 0x66);

QString BarLabel(const panel::DistributionEntry& e) {
    if (e.rest) return QString::fromUtf8(panel::kRestLabel);
    if (e.title.empty()) return QStringLiteral("［") + QString::fromStdString(e.category) + "］";
    return QString::fromStdString(e.title);
}

}  // namespace

std::vector<DistributionBar> DistributionBars(const panel::Catalogue& catalogue,
                                              std::span<const panel::SearchNodeTag> rows) {
    const panel::Distribution d = panel::BuildDistribution(rows);
    std::vector<DistributionBar> bars;
    const auto& root = catalogue.RootNode();
    const auto categoryNode = [&root](const std::string& name) -> const panel::ContentsNodeTag* {
        for (const auto& c : root.children) {
            if (c->name == name) return c.get();
        }
        return nullptr;
    };
    for (const auto& e : d.categories) {
        const panel::ContentsNodeTag* node = categoryNode(e.category);
        bars.push_back({e, node ? node->slot : 0});
    }
    for (const auto& e : panel::TopTitles(d, panel::kChartTitles)) {
        int slot = 0;
        if (const panel::ContentsNodeTag* category = e.rest ? nullptr : categoryNode(e.category)) {
            for (const auto& t : category->children) {
                if (t->name == e.title) {
                    slot = t->slot;
                    break;
                }
            }
        }
        bars.push_back({e, slot});
    }
    return bars;
}

CDistributionChart::CDistributionChart(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("CDistributionChart"));
    setMouseTracking(false);
}

void CDistributionChart::SetBars(std::vector<DistributionBar> bars) {
    m_bars = std::move(bars);
    setMinimumHeight(kTop + static_cast<int>(m_bars.size()) * kRowHeight + 8);
    updateGeometry();
    update();
}

QSize CDistributionChart::sizeHint() const {
    return {600, kTop + static_cast<int>(m_bars.size()) * kRowHeight + 8};
}

QRect CDistributionChart::BarRect(int i) const {
    return {kLabelWidth, kTop + i * kRowHeight + 2, std::max(10, width() - kLabelWidth - 90),
            kRowHeight - 4};
}

void CDistributionChart::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().base());
    if (m_bars.empty()) {
        p.drawText(rect(), Qt::AlignCenter, QStringLiteral("該当する頁はありません。"));
        return;
    }
    std::int64_t maxHits = 1;
    for (const auto& bar : m_bars) maxHits = std::max(maxHits, bar.entry.hits);
    p.setPen(palette().color(QPalette::Text));
    p.fillRect(QRect(kLabelWidth, 6, 12, 12), kHitsColour);
    p.drawText(kLabelWidth + 16, 17, QStringLiteral("箇所"));
    p.fillRect(QRect(kLabelWidth + 60, 6, 12, 12), kPagesColour);
    p.drawText(kLabelWidth + 76, 17, QStringLiteral("頁"));
    for (int i = 0; i < static_cast<int>(m_bars.size()); ++i) {
        const auto& e = m_bars[static_cast<std::size_t>(i)].entry;
        const QRect area = BarRect(i);
        const QRect label(4, area.top(), kLabelWidth - 8, area.height());
        p.setPen(palette().color(QPalette::Text));
        p.drawText(label, Qt::AlignRight | Qt::AlignVCenter,
                   p.fontMetrics().elidedText(BarLabel(e), Qt::ElideMiddle, label.width()));
        const int hitsWidth = static_cast<int>(area.width() * e.hits / maxHits);
        const int pagesWidth = static_cast<int>(area.width() * e.pages / maxHits);
        p.fillRect(QRect(area.left(), area.top(), std::max(1, hitsWidth), area.height()),
                   kHitsColour);
        p.fillRect(QRect(area.left(), area.top() + area.height() / 3, std::max(1, pagesWidth),
                         area.height() / 3),
                   kPagesColour);
        p.drawText(QRect(area.left() + hitsWidth + 4, area.top(), 86, area.height()),
                   Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("%1 / %2").arg(e.hits).arg(e.pages));
    }
}

void CDistributionChart::mousePressEvent(QMouseEvent* event) {
    for (int i = 0; i < static_cast<int>(m_bars.size()); ++i) {
        const QRect area = BarRect(i);
        const QRect row(0, area.top(), width(), area.height());
        if (row.contains(event->position().toPoint())) {
            emit barClicked(i);
            return;
        }
    }
}

CDistributionWindow::CDistributionWindow(panel::CLeftForm& form, QWidget* parent)
    : QWidget(parent, Qt::Window), m_form(form) {
    setObjectName(QStringLiteral("CDistributionWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    const QSize room = screen() ? screen()->availableSize() : QSize(720, 640);
    resize(std::min(720, room.width()), std::min(640, room.height()));
    m_chart = new CDistributionChart(this);
    auto* scroll = new QScrollArea(this);
    scroll->setWidget(m_chart);
    scroll->setWidgetResizable(true);
    m_table = new QTableWidget(this);
    m_table->setColumnCount(4);
    m_table->setHorizontalHeaderLabels({QStringLiteral("類別"), QStringLiteral("書名"),
                                        QStringLiteral("頁"), QStringLiteral("箇所")});
    m_table->verticalHeader()->setVisible(false);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_status = new QLabel(this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_status);
    layout->addWidget(scroll, 3);
    layout->addWidget(m_table, 2);
    connect(m_chart, &CDistributionChart::barClicked, this, &CDistributionWindow::Narrow);
    connect(m_table, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { Narrow(row); });
    Refresh();
}

void CDistributionWindow::Refresh() {
    const auto& rows = m_form.Rows();
    m_chart->SetBars(DistributionBars(m_form.GetCatalogue(), rows));
    const auto& bars = m_chart->Bars();
    m_table->setRowCount(static_cast<int>(bars.size()));
    for (int i = 0; i < static_cast<int>(bars.size()); ++i) {
        const auto& e = bars[static_cast<std::size_t>(i)].entry;
        const QString cells[] = {
            QString::fromStdString(e.category),
            e.rest ? QString::fromUtf8(panel::kRestLabel) : QString::fromStdString(e.title),
            QString::number(e.pages), QString::number(e.hits)};
        for (int c = 0; c < 4; ++c) m_table->setItem(i, c, new QTableWidgetItem(cells[c]));
    }
    setWindowTitle(QStringLiteral("分布：") + QString::fromStdU16String(m_form.Keyword()));
    m_status->setText(rows.empty()
                          ? QStringLiteral("該当する頁はありません。")
                          : QStringLiteral("棒をクリックすると、その範囲で検索し直します。"));
}

void CDistributionWindow::Narrow(int i) {
    const auto& bars = m_chart->Bars();
    if (i < 0 || i >= static_cast<int>(bars.size())) return;
    const int slot = bars[static_cast<std::size_t>(i)].slot;
    if (slot == 0 || !m_form.SelectTreeSlot(slot)) return;
    m_form.OnSearch();
    Refresh();
}

}  // namespace shell
