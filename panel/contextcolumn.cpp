#include "panel/contextcolumn.h"

#include <QHeaderView>
#include <QTreeWidgetItem>
#include <vector>

#include "engine/concordance.h"
#include "panel/kwicdelegate.h"
#include "panel/sortlistctrl.h"

namespace panel {

namespace {

QString ToQString(std::u32string_view text) {
    return QString::fromUcs4(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

void FillContextColumn(CSortListCtrl& list, engine::CIndex& index, std::u16string_view keyword,
                       int textLayer, bool variants) {
    if (list.columnCount() <= kContextColumn) {
        list.setColumnCount(kContextColumn + 1);
        list.headerItem()->setText(kContextColumn, QStringLiteral("文脈"));
        list.setColumnWidth(kContextColumn, 260);
        list.setItemDelegateForColumn(kContextColumn, new KwicDelegate(KwicPart::Line, &list));
    }
    const engine::KwicQuery query(keyword, variants, index.VariantGroups());
    std::vector<engine::KwicLine> lines;
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
        const engine::KwicLine& line = lines.front();
        const QString left = ToQString(line.left);
        const QString hit = ToQString(line.hit);
        const QString right = ToQString(line.right);
        item->setText(kContextColumn, left + hit + right);
        item->setData(kContextColumn, kKwicLeftRole, left);
        item->setData(kContextColumn, kKwicHitRole, hit);
        item->setData(kContextColumn, kKwicRightRole, right);
    }
}

}  // namespace panel
