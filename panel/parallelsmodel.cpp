#include "panel/parallelsmodel.h"

namespace panel {

QString SharedTextLine(const engine::SharedText& text) {
    return QString::fromStdString(text.before) + QStringLiteral("【") +
           QString::fromStdString(text.shared) + QStringLiteral("】") +
           QString::fromStdString(text.after);
}

ParallelsModel::ParallelsModel(QObject* parent) : QAbstractTableModel(parent) {}

void ParallelsModel::SetReport(engine::ParallelReport report, std::vector<SearchNodeTag> names) {
    beginResetModel();
    m_report = std::move(report);
    m_names = std::move(names);
    m_names.resize(m_report.rows.size());
    endResetModel();
}

void ParallelsModel::Clear() { SetReport({}, {}); }

int ParallelsModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    return static_cast<int>(m_report.rows.size() + m_report.formulas.size());
}

int ParallelsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

const engine::ParallelRow* ParallelsModel::PageRow(int row) const {
    if (row < 0 || static_cast<std::size_t>(row) >= m_report.rows.size()) return nullptr;
    return &m_report.rows[static_cast<std::size_t>(row)];
}

QVariant ParallelsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || role != Qt::DisplayRole) {
        if (role == Qt::TextAlignmentRole && index.column() >= kPage && index.column() <= kRuns)
            return QVariant(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    }
    const auto row = static_cast<std::size_t>(index.row());
    if (row < m_report.rows.size()) {
        const engine::ParallelRow& page = m_report.rows[row];
        const SearchNodeTag& name = m_names[row];
        switch (index.column()) {
            case kCategory:
                return QString::fromStdString(name.category);
            case kTitle:
                return QString::fromStdString(name.title);
            case kVolume:
                return QString::fromStdString(name.volume);
            case kPage:
                return name.page;
            case kLongest:
                return page.longest;
            case kRuns:
                return page.runCount;
            case kText:
                return SharedTextLine(page.pageText);
        }
        return {};
    }
    const std::size_t k = row - m_report.rows.size();
    if (k >= m_report.formulas.size()) return {};
    const engine::FormulaRow& formula = m_report.formulas[k];
    switch (index.column()) {
        case kCategory:
            return QStringLiteral("定型句");
        case kTitle:
            return QStringLiteral("%1 頁に共通").arg(formula.pageCount);
        case kLongest:
            return formula.length;
        case kText:
            return SharedTextLine(formula.text);
    }
    return {};
}

QVariant ParallelsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    static const char16_t* const kHeaders[] = {u"類別", u"書名", u"巻",      u"頁",
                                               u"最長", u"箇所", u"一致箇所"};
    if (section < 0 || section >= kColumnCount) return {};
    return QString::fromUtf16(kHeaders[section]);
}

}  // namespace panel
