#include "shell/splash.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QMovie>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QScreen>
#include <QTimer>
#include <QTimerEvent>
#include <algorithm>
#include <cmath>

namespace shell {

namespace {

bool g_splashAllowed = true;
QPointer<CSplashWnd> g_currentSplash;

constexpr int kFrameIntervalMs = 40;

bool IsServerSwitch(const QString& argument) {
    if (argument.size() < 2 || (argument[0] != u'-' && argument[0] != u'/')) return false;
    const QString word = argument.mid(1);
    return word.compare(QLatin1String("Embedding"), Qt::CaseInsensitive) == 0 ||
           word.compare(QLatin1String("Automation"), Qt::CaseInsensitive) == 0;
}

bool IsDismissingButton(const QEvent* event) {
    const Qt::MouseButton button = static_cast<const QMouseEvent*>(event)->button();
    return button == Qt::LeftButton || button == Qt::RightButton || button == Qt::MiddleButton;
}

double Ease(double t) {
    t = std::clamp(t, 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

}  // namespace

bool CSplashWnd::AllowedByArguments(const QStringList& arguments) {
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (IsServerSwitch(arguments[i])) return false;
    }
    return true;
}

void CSplashWnd::AllowSplash(bool allowed) { g_splashAllowed = allowed; }

bool CSplashWnd::IsAllowed() { return g_splashAllowed; }

void CSplashWnd::ShowSplash(QWidget* parent, int timeoutMs) {
    if (!g_splashAllowed || g_currentSplash) return;
    auto* splash = new CSplashWnd(parent, timeoutMs);
    g_currentSplash = splash;
    splash->showFullScreen();
    splash->raise();
    splash->activateWindow();
    splash->repaint();
    // The frame builds itself synchronously after this; let the window map and
    // paint first.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void CSplashWnd::CloseSplash() {
    CSplashWnd* splash = g_currentSplash;
    if (splash == nullptr) return;
    g_currentSplash = nullptr;
    splash->Stop();
    qApp->removeEventFilter(splash);
    QWidget* owner = splash->m_owner;
    splash->hide();
    splash->deleteLater();
    if (owner != nullptr) owner->update();
}

CSplashWnd* CSplashWnd::Current() { return g_currentSplash; }

QString CSplashWnd::MoviePath() {
    return QDir(QCoreApplication::applicationDirPath()).filePath(QLatin1String(kMovieName));
}

CSplashWnd::CSplashWnd(QWidget* parent, int timeoutMs)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_owner(parent) {
    setObjectName(QStringLiteral("splash"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::ArrowCursor);
    if (QScreen* screen = QGuiApplication::primaryScreen()) setGeometry(screen->geometry());

    if (QFileInfo(MoviePath()).isReadable()) {
        auto* movie = new QMovie(MoviePath(), QByteArray(), this);
        if (movie->isValid()) {
            m_movie = movie;
            connect(m_movie, &QMovie::frameChanged, this, [this] { update(); });
            m_movie->start();
        } else {
            delete movie;
        }
    }
    m_startMs = QDateTime::currentMSecsSinceEpoch();
    if (m_movie == nullptr) m_frameTimer = startTimer(kFrameIntervalMs);
    m_closeTimer = startTimer(std::max(1, timeoutMs));
    qApp->installEventFilter(this);
}

CSplashWnd::~CSplashWnd() {
    qApp->removeEventFilter(this);
    if (g_currentSplash == this) g_currentSplash = nullptr;
}

bool CSplashWnd::IsPlayingMovie() const { return m_movie != nullptr; }

void CSplashWnd::Stop() {
    if (m_movie != nullptr) m_movie->stop();
    if (m_frameTimer != 0) killTimer(m_frameTimer);
    if (m_closeTimer != 0) killTimer(m_closeTimer);
    m_frameTimer = 0;
    m_closeTimer = 0;
}

bool CSplashWnd::eventFilter(QObject* watched, QEvent* event) {
    if (g_currentSplash != this) return false;
    switch (event->type()) {
        case QEvent::ShortcutOverride:
            // Claim the key so that no shortcut fires; its key press follows.
            event->accept();
            return true;
        case QEvent::KeyPress:
            event->accept();
            CloseSplash();
            return true;
        case QEvent::MouseButtonPress:
        case QEvent::NonClientAreaMouseButtonPress:
            if (!IsDismissingButton(event)) return false;
            event->accept();
            CloseSplash();
            return true;
        case QEvent::Show: {
            auto* widget = qobject_cast<QWidget*>(watched);
            if (widget == nullptr || widget == this || !widget->isWindow()) return false;
            if (widget->isModal()) {
                // A message box behind a full-screen splash could not be seen.
                CloseSplash();
            } else if (widget == m_owner) {
                QTimer::singleShot(0, this, [this] {
                    raise();
                    activateWindow();
                });
            }
            return false;
        }
        default:
            return false;
    }
}

void CSplashWnd::timerEvent(QTimerEvent* event) {
    if (event->timerId() == m_closeTimer) {
        CloseSplash();
    } else if (event->timerId() == m_frameTimer) {
        m_elapsedMs = QDateTime::currentMSecsSinceEpoch() - m_startMs;
        update();
    }
}

void CSplashWnd::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (m_movie != nullptr) {
        painter.fillRect(rect(), Qt::black);
        const QPixmap frame = m_movie->currentPixmap();
        if (!frame.isNull()) {
            const QSize size = frame.size().scaled(this->size(), Qt::KeepAspectRatio);
            const QRect target(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2),
                               size);
            painter.drawPixmap(target, frame);
        }
        return;
    }
    PaintTitle(painter);
}

// The built-in animated title: ink-dark silk, the name drawn in, a vermilion
// seal pressed beside it and the subtitle written down character by character.
void CSplashWnd::PaintTitle(QPainter& painter) {
    const double t = m_elapsedMs / 1000.0;
    const QRectF area = rect();
    const QPointF centre = area.center();

    QRadialGradient ground(centre, std::max(area.width(), area.height()) * 0.7);
    ground.setColorAt(0.0, QColor(58, 40, 28));
    ground.setColorAt(1.0, QColor(14, 10, 8));
    painter.fillRect(area, ground);

    // Slow drifting bands of mist.
    for (int band = 0; band < 5; ++band) {
        const double phase = t * 0.15 + band * 1.7;
        const double y = area.height() * (0.2 + 0.15 * band) + 20 * std::sin(phase);
        QLinearGradient mist(0, y - 60, 0, y + 60);
        mist.setColorAt(0.0, QColor(255, 240, 210, 0));
        mist.setColorAt(0.5, QColor(255, 240, 210, 10));
        mist.setColorAt(1.0, QColor(255, 240, 210, 0));
        painter.fillRect(QRectF(0, y - 60, area.width(), 120), mist);
    }

    const double unit = std::max(8.0, std::min(area.width(), area.height()) / 12.0);

    // Thin gold rules that grow from the centre.
    const double grow = Ease(t / 1.2);
    painter.setPen(QPen(QColor(201, 168, 106, 200), 1.2));
    const double ruleHalf = unit * 4.2 * grow;
    painter.drawLine(QPointF(centre.x() - ruleHalf, centre.y() - unit * 1.35),
                     QPointF(centre.x() + ruleHalf, centre.y() - unit * 1.35));
    painter.drawLine(QPointF(centre.x() - ruleHalf, centre.y() + unit * 1.05),
                     QPointF(centre.x() + ruleHalf, centre.y() + unit * 1.05));

    // The name, fading in while its letters close up.
    const double title = Ease((t - 0.4) / 1.6);
    QFont titleFont(QStringLiteral("DejaVu Serif"));
    titleFont.setPixelSize(static_cast<int>(unit * 1.6));
    titleFont.setLetterSpacing(QFont::AbsoluteSpacing, unit * (0.9 - 0.75 * title));
    painter.setFont(titleFont);
    painter.setPen(QColor(244, 232, 205, static_cast<int>(255 * title)));
    const QRectF titleBox(area.left(), centre.y() - unit * 1.3, area.width(), unit * 2.2);
    painter.drawText(titleBox, Qt::AlignCenter, QStringLiteral("Orvale"));

    // The subtitle, one character after another.
    const QString subtitle = QStringLiteral("漢籍全文検索");
    QFont cjk(QStringLiteral("Noto Serif CJK JP"));
    cjk.setPixelSize(static_cast<int>(unit * 0.42));
    painter.setFont(cjk);
    const double step = unit * 0.62;
    const double startX = centre.x() - step * (subtitle.size() - 1) / 2.0;
    for (qsizetype i = 0; i < subtitle.size(); ++i) {
        const double shown = Ease((t - 1.6 - 0.18 * static_cast<double>(i)) / 0.5);
        painter.setPen(QColor(214, 196, 160, static_cast<int>(230 * shown)));
        const QRectF box(startX + step * static_cast<double>(i) - step / 2,
                         centre.y() + unit * 1.25, step, unit * 0.7);
        painter.drawText(box, Qt::AlignCenter, subtitle.mid(i, 1));
    }

    // The seal, pressed down onto the silk right of the settled name.
    const double press = Ease((t - 2.6) / 0.35);
    if (press > 0) {
        QFont settled = titleFont;
        settled.setLetterSpacing(QFont::AbsoluteSpacing, unit * 0.15);
        const double nameWidth = QFontMetricsF(settled).horizontalAdvance(QStringLiteral("Orvale"));
        const double side = unit * 0.95 * (1.35 - 0.35 * press);
        const QPointF sealCentre(centre.x() + nameWidth / 2 + unit * 0.75,
                                 centre.y() - unit * 0.15);
        const QRectF seal(sealCentre.x() - side / 2, sealCentre.y() - side / 2, side, side);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(178, 34, 34, static_cast<int>(225 * press)));
        painter.drawRoundedRect(seal, side * 0.08, side * 0.08);
        QFont sealFont(QStringLiteral("Noto Serif CJK JP"));
        sealFont.setPixelSize(std::max(1, static_cast<int>(side * 0.42)));
        sealFont.setBold(true);
        painter.setFont(sealFont);
        painter.setPen(QColor(250, 236, 220, static_cast<int>(255 * press)));
        const QRectF inner = seal.adjusted(side * 0.08, side * 0.06, -side * 0.08, -side * 0.06);
        // Read right column first, top to bottom: 典籍之印.
        const QString glyphs = QStringLiteral("典籍之印");
        const double half = inner.width() / 2;
        for (int i = 0; i < 4; ++i) {
            const double x = i < 2 ? inner.left() + half : inner.left();
            const double y = inner.top() + (i % 2) * inner.height() / 2;
            painter.drawText(QRectF(x, y, half, inner.height() / 2), Qt::AlignCenter,
                             glyphs.mid(i, 1));
        }
    }

    // A quiet hint once the title stands.
    const double hint = Ease((t - 3.4) / 0.8) * (0.55 + 0.45 * std::sin(t * 2.2));
    QFont hintFont(QStringLiteral("Noto Sans CJK JP"));
    hintFont.setPixelSize(std::max(10, static_cast<int>(unit * 0.2)));
    painter.setFont(hintFont);
    painter.setPen(QColor(200, 180, 140, static_cast<int>(170 * std::max(0.0, hint))));
    painter.drawText(QRectF(area.left(), area.bottom() - unit * 1.2, area.width(), unit * 0.5),
                     Qt::AlignCenter, QStringLiteral("キーを押すかクリックすると始まります"));
}

}  // namespace shell
