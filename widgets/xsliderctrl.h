// CXSliderCtrl: a horizontal slider painted over the toolbar texture, with
// ticks below and a tooltip showing the value while it is dragged.
// SetTexture(171) turns the texture on; the texture is aligned with the parent
// widget so that it continues the parent's background.
#pragma once

#include <QBrush>
#include <QSlider>

namespace widgets {

class CXSliderCtrl : public QSlider {
    Q_OBJECT
  public:
    explicit CXSliderCtrl(QWidget* parent = nullptr);

    // Bitmap resource id as the background (0 = none). False when missing.
    bool SetTexture(int bitmapId);
    void SetTextureImage(const QImage& texture);
    bool HasTexture() const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void ShowValueTip();

    QBrush m_brush;
    bool m_hasTexture = false;
};

}  // namespace widgets
