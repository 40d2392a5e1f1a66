// KwicDelegate: paints a keyword-in-context cell, the left context, the hit
// in bold and colour, then the right context, from three strings the model
// gives under the roles below. A cell without them is painted as usual.
// The left context is cut at its start and the right one at its end when
// the cell is too narrow, so the hit stays in view.
#pragma once

#include <QStyledItemDelegate>

namespace panel {

inline constexpr int kKwicLeftRole = Qt::UserRole + 11;
inline constexpr int kKwicHitRole = Qt::UserRole + 12;
inline constexpr int kKwicRightRole = Qt::UserRole + 13;

// How a cell shows its part of a line: the whole line, or one of its parts
// (the concordance puts them in columns of their own).
enum class KwicPart { Line, Left, Hit, Right };

class KwicDelegate : public QStyledItemDelegate {
  public:
    explicit KwicDelegate(KwicPart part, QObject* parent = nullptr);
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

  private:
    KwicPart m_part;
};

}  // namespace panel
