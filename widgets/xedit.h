// CXEdit: a line edit without a frame, painted over the toolbar texture so it
// blends into a textured toolbar. SetTexture(171) turns the texture on; without
// one it looks like a plain line edit. The texture is aligned with the parent
// widget, so it continues the parent's background seamlessly.
#pragma once

#include <QBrush>
#include <QLineEdit>

namespace widgets {

class CXEdit : public QLineEdit {
    Q_OBJECT
  public:
    explicit CXEdit(QWidget* parent = nullptr);

    // Bitmap resource id as the background (0 = none). False when missing.
    bool SetTexture(int bitmapId);
    void SetTextureImage(const QImage& texture);
    bool HasTexture() const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QBrush m_brush;
    bool m_hasTexture = false;
};

}  // namespace widgets
