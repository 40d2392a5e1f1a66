#include "panel/kwicdelegate.h"

#include <QApplication>
#include <QPainter>

namespace panel {

namespace {

const QColor kHitColour(0xC0, 0x00, 0x00);

}  // namespace

KwicDelegate::KwicDelegate(KwicPart part, QObject* parent)
    : QStyledItemDelegate(parent), m_part(part) {}

void KwicDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const {
    const QVariant hitValue = index.data(kKwicHitRole);
    if (!hitValue.isValid()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    opt.text.clear();
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

    const QString left = index.data(kKwicLeftRole).toString();
    const QString hit = hitValue.toString();
    const QString right = index.data(kKwicRightRole).toString();
    QFont bold = opt.font;
    bold.setBold(true);
    const QFontMetrics plainMetrics(opt.font);
    const QFontMetrics boldMetrics(bold);
    const QRect area = opt.rect.adjusted(3, 0, -3, 0);
    const bool selected = opt.state & QStyle::State_Selected;
    const QColor text = opt.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);

    painter->save();
    painter->setClipRect(area);
    const int hitWidth = boldMetrics.horizontalAdvance(hit);
    int x = area.left();
    switch (m_part) {
        case KwicPart::Left:
            // Right-aligned, so that the hits of all rows line up.
            x = area.right() - plainMetrics.horizontalAdvance(left);
            break;
        case KwicPart::Line: {
            // Keep the hit in view: cut the left context at its start.
            const int leftWidth = plainMetrics.horizontalAdvance(left);
            const int room = area.width() - hitWidth;
            if (leftWidth > room / 2 + room / 4) x -= leftWidth - (room / 2 + room / 4);
            break;
        }
        default:
            break;
    }
    const int baseline =
        area.top() + (area.height() + plainMetrics.ascent() - plainMetrics.descent()) / 2;
    const auto draw = [&](const QString& s, const QFont& font, const QColor& colour) {
        painter->setFont(font);
        painter->setPen(colour);
        painter->drawText(x, baseline, s);
        x += QFontMetrics(font).horizontalAdvance(s);
    };
    if (m_part == KwicPart::Line || m_part == KwicPart::Left) draw(left, opt.font, text);
    if (m_part == KwicPart::Line || m_part == KwicPart::Hit)
        draw(hit, bold, selected ? text : kHitColour);
    if (m_part == KwicPart::Line || m_part == KwicPart::Right) draw(right, opt.font, text);
    painter->restore();
}

QSize KwicDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    const QVariant hit = index.data(kKwicHitRole);
    if (hit.isValid()) {
        const QFontMetrics metrics(option.font);
        QString all = hit.toString();
        if (m_part != KwicPart::Hit) {
            all += index.data(kKwicLeftRole).toString() + index.data(kKwicRightRole).toString();
        }
        size.setWidth(metrics.horizontalAdvance(all) + 10);
    }
    return size;
}

}  // namespace panel
