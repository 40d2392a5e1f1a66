// CToolTipResourceButton: a bitmap button drawn from a strip of four equal
// frames side by side (normal, pressed, hover, disabled), with a tooltip.
// Use: LoadStateStrip(184) (or 185) and SetTipText("Previous Page"); the button
// takes the size of one frame. ChooseStateFrame is the frame rule on its own.
#pragma once

#include <QPixmap>

#include "widgets/tooltipbutton.h"

namespace widgets {

enum StateFrame { kFrameNormal = 0, kFramePressed = 1, kFrameHover = 2, kFrameDisabled = 3 };

// Disabled wins over pressed, pressed over hover.
StateFrame ChooseStateFrame(bool disabled, bool pressed, bool hover);

class CToolTipResourceButton : public CToolTipButton {
    Q_OBJECT
  public:
    explicit CToolTipResourceButton(QWidget* parent = nullptr);

    // Loads bitmap resource id as the strip and resizes the button to one frame
    // (width / 4 x height) without moving it. False when the bitmap is missing.
    bool LoadStateStrip(int bitmapId);
    bool SetStateStrip(const QPixmap& strip);

    QSize FrameSize() const;
    bool IsHovered() const;
    // The frame the button would draw now.
    StateFrame CurrentFrame() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

  private:
    QPixmap m_strip;
    int m_frameWidth = 0;
    int m_frameHeight = 0;
    bool m_hover = false;
};

}  // namespace widgets
