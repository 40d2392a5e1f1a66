#include "panel/contextcolumn.h"

#include <QHeaderView>
#include <QLabel>
#include <QStringList>
#include <QTreeWidgetItem>
#include <span>
#include <vector>

#include "engine/concordance.h"
#include "panel/kwicdelegate.h"
#include "panel/sortlistctrl.h"

namespace panel {

namespace {

QString ToQString(std::u32string_view text) {
    return QString::fromUcs4(text.data(), static_cast<qsizetype>(text.size()));
}

QString VariantSummary(const engine::KwicQuery& query, std::span<const engine::KwicLine> lines) {
    if (query.Variants().empty()) return {};
    const auto counts = engine::VariantFormCounts(query, lines);
    QStringList parts;
    for (std::size_t v = 0; v < query.Variants().size(); ++v) {
        const auto& forms = query.Variants()[v];
        QStringList each;
        for (std::size_t f = 0; f < forms.forms.size(); ++f) {
            each << ToQString(std::u32string(1, forms.forms[f])) + QLatin1Char(' ') +
                        QString::number(counts[v][f]);
        }
        parts << ToQString(std::u32string(1, forms.character)) + QStringLiteral("→") +
                     each.join(QStringLiteral("・"));
    }
    return QStringLiteral("異体字：") + parts.join(QStringLiteral("；"));
}

}  // namespace

void ShowSummary(QLabel& label, std::span<const SearchNodeTag> rows, const QString& variants,
                 bool incomplete) {
    std::int64_t places = 0;
    for (const SearchNodeTag& row : rows) places += row.hits;
    const QString summary = QString::fromStdString(
        ResultSummaryText(static_cast<std::int64_t>(rows.size()), places, incomplete));
    label.setText(variants.isEmpty() ? summary : summary + QStringLiteral("　") + variants);
    label.setToolTip(variants);
}

QString FillContextColumn(CSortListCtrl& list, engine::CIndex& index, std::u16string_view keyword,
                          int textLayer, bool variants) {
    if (list.columnCount() <= kContextColumn) {
        list.setColumnCount(kContextColumn + 1);
        list.headerItem()->setText(kContextColumn, QStringLiteral("文脈"));
        list.setColumnWidth(kContextColumn, 260);
        list.setItemDelegateForColumn(kContextColumn, new KwicDelegate(KwicPart::Line, &list));
        list.SetFullWidthColumn(kContextColumn);
    }
    const engine::KwicQuery query(keyword, variants, index.VariantGroups());
    std::vector<engine::KwicLine> lines;
    std::vector<engine::KwicLine> allLines;
    pages::LayerText text;
    std::vector<engine::HitSpan> hits;
    for (int row = 0; row < list.topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = list.topLevelItem(row);
        lines.clear();
        const std::int32_t record = list.RecordIndexAt(row);
        if (record >= 0) {
            engine::AppendPageLines(index.PageStore(), static_cast<std::uint32_t>(record), query,
                                    textLayer, kContextWidth, lines, text, hits);
        }
        if (lines.empty()) {
            item->setText(kContextColumn, QString());
            continue;
        }
        if (!query.Variants().empty()) {
            for (const engine::KwicLine& line : lines) {
                engine::KwicLine& kept = allLines.emplace_back();  // the hit alone is counted
                kept.record = line.record;
                kept.hit = line.hit;
            }
        }
        const engine::KwicLine& line = lines.front();
        const QString left = ToQString(line.left);
        const QString hit = ToQString(line.hit);
        const QString right = ToQString(line.right);
        item->setText(kContextColumn, left + hit + right);
        item->setData(kContextColumn, kKwicLeftRole, left);
        item->setData(kContextColumn, kKwicHitRole, hit);
        item->setData(kContextColumn, kKwicRightRole, right);
    }
    return VariantSummary(query, allLines);
}

}  // namespace panel
