// CXToolBar: a toolbar painted with a texture whose button images come from
// 24-bit strips; the strips' mask colour is replaced by the texture behind each
// image, so the flat buttons sit seamlessly on the toolbar.
//
// Use: SetItems({ids...}) (0 = separator; the toolbar owns one QAction per
// command, CommandAction(id)), SetButtonImageSize(40, 40), SetTexture(171),
// LoadImageStrips(10, kMaskMagenta, 172, 173, 174). A click emits
// commandTriggered(id) and triggers CommandAction(id); enable or disable a
// button through its action (the frame may also put these actions in menus;
// they carry no icon). ReplaceItemWithWidget puts a control in a button's slot.
// Lives on the GUI thread; the toolbar owns its actions and images.
#pragma once

#include <QList>
#include <QPixmap>
#include <QToolBar>
#include <vector>

class QAction;

namespace widgets {

class CXToolBar : public QToolBar {
    Q_OBJECT
  public:
    explicit CXToolBar(QWidget* parent = nullptr);
    ~CXToolBar() override;

    // Builds the buttons, one per non-zero ID, separators for 0, replacing any
    // earlier items (controls put in slots are deleted with them). Call before
    // LoadImageStrips (the blend follows this layout).
    void SetItems(const std::vector<int>& commandIds);
    // Item IDs in layout order, as given to SetItems (slots keep their ID).
    const std::vector<int>& Items() const;
    // The action of a command, or nullptr when the toolbar has no such button.
    QAction* CommandAction(int commandId) const;
    // Puts widget (reparented to the toolbar) in place of the first button of
    // commandId, width pixels wide. False when there is no such button.
    bool ReplaceItemWithWidget(int commandId, QWidget* widget, int width);

    void SetButtonImageSize(int width, int height);
    int ImageWidth() const;
    int ImageHeight() const;

    // Texture from bitmap resource id (0 = none). False when the bitmap is
    // missing; the toolbar then has no texture.
    bool SetTexture(int bitmapId);
    // Texture from an image (a null image = none).
    void SetTextureImage(const QImage& texture);
    // The texture as 24-bit RGB; null when none is set.
    const QImage& Texture() const;

    // Builds the normal, disabled and hot image lists from bitmap resources:
    // disabledId 0 = the normal strip turned grey; hotId 0 = no hot images.
    // count must be positive. False when a bitmap is missing or not count
    // images wide; the lists are then empty.
    bool LoadImageStrips(int count, QRgb mask, int normalId, int disabledId, int hotId);
    // The same from images; a null disabled image = grey, a null hot image = none.
    bool LoadImageStripImages(int count, QRgb mask, const QImage& normal, const QImage& disabled,
                              const QImage& hot);

    const QList<QPixmap>& NormalImages() const;
    const QList<QPixmap>& DisabledImages() const;
    const QList<QPixmap>& HotImages() const;

    QSize sizeHint() const override;

  signals:
    void commandTriggered(int commandId);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void AssignImagesToButtons();
    QImage BlendedStrip(const QImage& strip, QRgb mask) const;

    std::vector<int> m_items;
    QList<QAction*> m_commandActions;  // parallel to the buttons, in layout order
    QList<QWidget*> m_buttons;
    QList<QPixmap> m_normalImages;
    QList<QPixmap> m_disabledImages;
    QList<QPixmap> m_hotImages;
    int m_imageCount = 0;
    int m_imageWidth = 24;
    int m_imageHeight = 24;
    QImage m_texture;
};

}  // namespace widgets
