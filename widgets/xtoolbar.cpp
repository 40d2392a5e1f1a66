#include "widgets/xtoolbar.h"

#include <QAction>
#include <QApplication>
#include <QLayout>
#include <QPaintEvent>
#include <QPainter>
#include <QPalette>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOptionToolButton>
#include <QToolButton>
#include <utility>

#include "widgets/artwork.h"
#include "widgets/imagestrip.h"

namespace widgets {

namespace {

// Lays the toolbar out without margins or spacing and with a handle as wide as
// the strip walk's first offset, so each button sits where its image's
// texture substitution assumed it would.
class FlatToolBarStyle : public QProxyStyle {
  public:
    FlatToolBarStyle() : QProxyStyle(QStyleFactory::create(QApplication::style()->name())) {}

    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        switch (metric) {
            case PM_ToolBarItemMargin:
            case PM_ToolBarFrameWidth:
            case PM_ToolBarItemSpacing:
                return 0;
            case PM_ToolBarHandleExtent:
                return kStripFirstX;
            case PM_ToolBarSeparatorExtent:
                return kStripSeparatorWidth;
            default:
                return QProxyStyle::pixelMetric(metric, option, widget);
        }
    }
};

// A flat button that draws one image of the toolbar's lists at the position the
// strip walk gave it, so the substituted pixels meet the texture exactly.
class XToolButton : public QToolButton {
  public:
    XToolButton(CXToolBar* bar, QAction* command) : QToolButton(bar), m_bar(bar) {
        setDefaultAction(command);
        setAutoRaise(true);
        setFocusPolicy(Qt::NoFocus);
        setAttribute(Qt::WA_Hover);
    }

    void SetImage(int index, QPoint origin) {
        m_index = index;
        m_origin = origin;
        update();
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const bool enabled = isEnabled();
        const bool hover = enabled && underMouse();
        const bool pressed = enabled && isDown();
        const QRect frame = rect().adjusted(1, 1, -2, -2);
        if (pressed || hover) {
            painter.setPen(QPen(QColor(90, 60, 30, pressed ? 150 : 90), 1));
            painter.setBrush(pressed ? QColor(80, 50, 20, 40) : QColor(255, 255, 240, 70));
            painter.drawRoundedRect(QRectF(frame).translated(0.5, 0.5), 4, 4);
        }
        const QPixmap* image = ImageFor(enabled, hover || pressed);
        if (image == nullptr) {
            // No artwork: fall back to the action's text.
            painter.setPen(palette().color(enabled ? QPalette::Active : QPalette::Disabled,
                                           QPalette::ButtonText));
            painter.drawText(rect(), Qt::AlignCenter, defaultAction()->iconText());
            return;
        }
        QPoint topLeft;
        if (m_origin.x() >= 0) {
            topLeft = m_origin - mapTo(m_bar, QPoint(0, 0));
        } else {
            topLeft = QPoint((width() - image->width()) / 2, (height() - image->height()) / 2);
        }
        if (pressed) topLeft += QPoint(1, 1);
        painter.drawPixmap(topLeft, *image);
    }

  private:
    const QPixmap* ImageFor(bool enabled, bool hot) const {
        if (m_index < 0) return nullptr;
        const QList<QPixmap>* list = &m_bar->NormalImages();
        if (!enabled) {
            list = &m_bar->DisabledImages();
        } else if (hot && m_index < m_bar->HotImages().size()) {
            list = &m_bar->HotImages();
        }
        if (m_index >= list->size()) return nullptr;
        return &(*list)[m_index];
    }

    CXToolBar* m_bar;
    int m_index = -1;
    QPoint m_origin{-1, -1};
};

QWidget* MakeSpacer(QWidget* parent, int width) {
    auto* spacer = new QWidget(parent);
    spacer->setFixedWidth(width);
    spacer->setAttribute(Qt::WA_TransparentForMouseEvents);
    return spacer;
}

}  // namespace

CXToolBar::CXToolBar(QWidget* parent) : QToolBar(parent) {
    auto* style = new FlatToolBarStyle;
    style->setParent(this);
    setStyle(style);
    setFloatable(false);
    setAllowedAreas(Qt::TopToolBarArea | Qt::BottomToolBarArea);
}

CXToolBar::~CXToolBar() = default;

void CXToolBar::SetItems(const std::vector<int>& commandIds) {
    // A widget action deletes the button or control it carries.
    const QList<QAction*> layoutActions = actions();
    for (QAction* layoutAction : layoutActions) {
        removeAction(layoutAction);
        if (layoutAction->parent() == this) delete layoutAction;
    }
    qDeleteAll(m_commandActions);
    m_commandActions.clear();
    m_buttons.clear();
    m_items = commandIds;
    for (int id : m_items) {
        if (id == 0) {
            addWidget(MakeSpacer(this, kStripSeparatorWidth));
            continue;
        }
        auto* action = new QAction(this);
        action->setData(id);
        connect(action, &QAction::triggered, this, [this, id] { emit commandTriggered(id); });
        auto* button = new XToolButton(this, action);
        button->setFixedSize(m_imageWidth + kStripButtonPadding,
                             std::max(m_imageHeight + kStripButtonPadding, m_texture.height()));
        addWidget(button);
        m_commandActions.append(action);
        m_buttons.append(button);
    }
    AssignImagesToButtons();
}

const std::vector<int>& CXToolBar::Items() const { return m_items; }

QAction* CXToolBar::CommandAction(int commandId) const {
    for (QAction* action : m_commandActions) {
        if (action != nullptr && action->data().toInt() == commandId) return action;
    }
    return nullptr;
}

bool CXToolBar::ReplaceItemWithWidget(int commandId, QWidget* widget, int width) {
    for (qsizetype i = 0; i < m_commandActions.size(); ++i) {
        QAction* command = m_commandActions[i];
        if (command == nullptr || command->data().toInt() != commandId) continue;
        QWidget* button = m_buttons[i];
        QAction* slot = nullptr;
        for (QAction* layoutAction : actions()) {
            if (widgetForAction(layoutAction) == button) slot = layoutAction;
        }
        if (slot == nullptr) return false;
        widget->setParent(this);
        widget->setFixedWidth(width);
        insertWidget(slot, widget);
        removeAction(slot);
        delete slot;  // and the button with it
        delete command;
        m_commandActions[i] = nullptr;
        m_buttons[i] = nullptr;
        return true;
    }
    return false;
}

void CXToolBar::SetButtonImageSize(int width, int height) {
    m_imageWidth = std::max(1, width);
    m_imageHeight = std::max(1, height);
    const int buttonHeight = std::max(m_imageHeight + kStripButtonPadding, m_texture.height());
    for (QWidget* button : std::as_const(m_buttons)) {
        if (button != nullptr) {
            button->setFixedSize(m_imageWidth + kStripButtonPadding, buttonHeight);
        }
    }
    setIconSize(QSize(m_imageWidth, m_imageHeight));
}

int CXToolBar::ImageWidth() const { return m_imageWidth; }

int CXToolBar::ImageHeight() const { return m_imageHeight; }

bool CXToolBar::SetTexture(int bitmapId) {
    if (bitmapId == 0) {
        SetTextureImage({});
        return true;
    }
    const QImage texture = LoadBitmapResource24(bitmapId);
    SetTextureImage(texture);
    return !texture.isNull();
}

void CXToolBar::SetTextureImage(const QImage& texture) {
    m_texture = texture.isNull() ? QImage() : texture.convertToFormat(QImage::Format_RGB888);
    SetButtonImageSize(m_imageWidth, m_imageHeight);
    updateGeometry();
    update();
}

const QImage& CXToolBar::Texture() const { return m_texture; }

bool CXToolBar::LoadImageStrips(int count, QRgb mask, int normalId, int disabledId, int hotId) {
    const QImage normal = LoadBitmapResource24(normalId);
    const QImage disabled = disabledId != 0 ? LoadBitmapResource24(disabledId) : QImage();
    const QImage hot = hotId != 0 ? LoadBitmapResource24(hotId) : QImage();
    if (normal.isNull() || (disabledId != 0 && disabled.isNull()) || (hotId != 0 && hot.isNull())) {
        m_normalImages.clear();
        m_disabledImages.clear();
        m_hotImages.clear();
        AssignImagesToButtons();
        return false;
    }
    return LoadImageStripImages(count, mask, normal, disabled, hot);
}

QImage CXToolBar::BlendedStrip(const QImage& strip, QRgb mask) const {
    QImage blended = strip.convertToFormat(QImage::Format_RGB888);
    const QRgb buttonFace = QApplication::palette().color(QPalette::Button).rgb();
    BlendStripWithTexture(blended, m_texture, m_items, m_imageCount, m_imageWidth, mask,
                          buttonFace);
    return blended;
}

bool CXToolBar::LoadImageStripImages(int count, QRgb mask, const QImage& normal,
                                     const QImage& disabled, const QImage& hot) {
    m_normalImages.clear();
    m_disabledImages.clear();
    m_hotImages.clear();
    const auto fits = [&](const QImage& strip) {
        return strip.isNull() || strip.width() >= count * m_imageWidth;
    };
    if (count <= 0 || normal.isNull() || !fits(normal) || !fits(disabled) || !fits(hot)) {
        AssignImagesToButtons();
        return false;
    }
    m_imageCount = count;
    const auto split = [&](const QImage& strip, QList<QPixmap>& list) {
        for (int i = 0; i < count; ++i) {
            list.append(QPixmap::fromImage(strip.copy(i * m_imageWidth, 0, m_imageWidth,
                                                      std::min(m_imageHeight, strip.height()))));
        }
    };
    split(BlendedStrip(normal, mask), m_normalImages);
    if (!disabled.isNull()) {
        split(BlendedStrip(disabled, mask), m_disabledImages);
    } else {
        // The mask pixels stay as they are so that the texture still shows
        // through the grey images.
        QImage grey = normal.convertToFormat(QImage::Format_RGB888);
        ConvertStripToGreyExceptMask(grey, mask);
        split(BlendedStrip(grey, mask), m_disabledImages);
    }
    if (!hot.isNull()) split(BlendedStrip(hot, mask), m_hotImages);
    AssignImagesToButtons();
    return true;
}

const QList<QPixmap>& CXToolBar::NormalImages() const { return m_normalImages; }

const QList<QPixmap>& CXToolBar::DisabledImages() const { return m_disabledImages; }

const QList<QPixmap>& CXToolBar::HotImages() const { return m_hotImages; }

void CXToolBar::AssignImagesToButtons() {
    const std::vector<int> origins = StripImageOrigins(m_items, m_imageCount, m_imageWidth);
    const int top =
        m_texture.isNull() ? -1 : m_texture.height() - kStripVerticalOffset - m_imageHeight;
    for (qsizetype i = 0; i < m_buttons.size(); ++i) {
        auto* button = static_cast<XToolButton*>(m_buttons[i]);
        if (button == nullptr) continue;
        const bool hasImage =
            i < static_cast<qsizetype>(origins.size()) && i < m_normalImages.size();
        const QPoint origin = hasImage && top >= 0 ? QPoint(origins[i], top) : QPoint(-1, -1);
        button->SetImage(hasImage ? static_cast<int>(i) : -1, origin);
    }
}

QSize CXToolBar::sizeHint() const {
    QSize hint = QToolBar::sizeHint();
    if (!m_texture.isNull() && orientation() == Qt::Horizontal) {
        hint.setHeight(std::max(hint.height(), m_texture.height()));
    }
    return hint;
}

void CXToolBar::paintEvent(QPaintEvent* event) {
    if (m_texture.isNull()) {
        QToolBar::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.fillRect(rect(), QBrush(QPixmap::fromImage(m_texture)));
}

}  // namespace widgets
