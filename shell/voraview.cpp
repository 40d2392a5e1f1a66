#include "shell/voraview.h"

#include <QAction>
#include <QApplication>
#include <QChildEvent>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPageSetupDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInfo>
#include <QWebEngineUrlRequestInterceptor>
#include <QWheelEvent>
#include <utility>

#include "shell/commandids.h"
#include "shell/currenthit.h"
#include "shell/limitedcopy.h"
#include "shell/localpages.h"

namespace shell {

namespace {

const QString kCtrlHint = QStringLiteral("マウスの右ボタンでコピーして下さい。");

QString CutText(const QString& text) {
    const std::u16string_view units(reinterpret_cast<const char16_t*>(text.utf16()),
                                    static_cast<std::size_t>(text.size()));
    const std::u16string_view cut = CutToDoubleByteLimit(units);
    return QString(reinterpret_cast<const QChar*>(cut.data()), static_cast<qsizetype>(cut.size()));
}

// The keys that copy or select in the page: they get the hint, nothing else.
bool IsGuardedKey(const QKeyEvent& key) {
    if (!(key.modifiers() & Qt::ControlModifier)) return false;
    switch (key.key()) {
        case Qt::Key_C:
        case Qt::Key_X:
        case Qt::Key_A:
        case Qt::Key_Insert:
            return true;
        default:
            return false;
    }
}

std::size_t TextBytes(const QString& text) {
    return DoubleByteLength(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                                static_cast<std::size_t>(text.size())));
}

// A dialog of the page view belongs to the main window: modal to it and
// raised above it once shown, also when the view's page had the focus.
void KeepAboveOwner(QDialog& dialog) {
    dialog.setWindowModality(Qt::WindowModal);
    QTimer::singleShot(0, &dialog, [&dialog] {
        dialog.raise();
        dialog.activateWindow();
    });
}

}  // namespace

CVoraView::CVoraView(Notify notify, QWidget* parent)
    : QWebEngineView(parent), m_notify(std::move(notify)) {
    setPage(MakeLocalOnlyPage(this));

    m_pageMenu = new QMenu(this);
    QAction* copy = m_pageMenu->addAction(QStringLiteral("コピー(300字以内に制限しています。)"));
    copy->setData(kIdPageCopy);
    connect(copy, &QAction::triggered, this, &CVoraView::OnCopy);
    QAction* all = m_pageMenu->addAction(QStringLiteral("すべて選択。"));
    all->setData(kIdPageSelectAll);
    connect(all, &QAction::triggered, this, &CVoraView::OnSelectAll);

    connect(this, &QWebEngineView::urlChanged, this, &CVoraView::locationChanged);
    // The current hit follows the anchor shown: after a new page has loaded
    // and after a step to another anchor of the same page.
    connect(this, &QWebEngineView::loadFinished, this, [this] { MarkCurrentHit(); });
    connect(this, &QWebEngineView::urlChanged, this, [this] { MarkCurrentHit(); });
    connect(this, &QWebEngineView::printFinished, this, [this](bool) { m_printing = false; });
    for (QObject* child : children()) WatchChild(child);
}

CVoraView::~CVoraView() {
    // Whatever the page signals while it goes must not reach a half-destroyed view.
    disconnect(this, nullptr, nullptr, nullptr);
    if (QWebEnginePage* shown = page()) disconnect(shown, nullptr, this, nullptr);
}

void CVoraView::OnInitialUpdate() { setUrl(QUrl(QStringLiteral("about:blank"))); }

void CVoraView::Navigate2(const QString& path, const QString& anchor) {
    QUrl url = QUrl::fromLocalFile(path);
    if (!anchor.isEmpty()) url.setFragment(anchor);
    if (url == this->url() && anchor.isEmpty()) {
        // The same file rewritten: load it afresh. Not a reload: that repeats
        // the last page that finished loading and drops a load under way,
        // so quick page steps could end on an older page.
        page()->load(url);
        return;
    }
    setUrl(url);
}

void CVoraView::MarkCurrentHit() {
    // Only result pages are shown at an anchor; other pages are left alone.
    const QString anchor = url().fragment();
    if (anchor.isEmpty()) return;
    page()->runJavaScript(CurrentHitScript(anchor), QWebEngineScript::ApplicationWorld);
}

QString CVoraView::GetLocationURL() const {
    const QUrl current = url();
    if (current.isEmpty()) return QStringLiteral("about:blank");
    return current.toString();
}

void CVoraView::OnCopy() {
    const QString selected = selectedText();
    if (selected.isEmpty()) {
        // Nothing selected: the clipboard keeps what it holds, within the limit.
        CutClipboardText();
        return;
    }
    if (TextBytes(selected) <= kCopyLimitBytes) {
        triggerPageAction(QWebEnginePage::Copy);
        return;
    }
    QApplication::clipboard()->setText(CutText(selected));
}

void CVoraView::CutClipboardText() {
    QClipboard* clipboard = QApplication::clipboard();
    const QString text = clipboard->text();
    if (!text.isEmpty() && TextBytes(text) > kCopyLimitBytes) clipboard->setText(CutText(text));
}

void CVoraView::OnSelectAll() {
    // The engine selects in its focused frame: give the page the focus first.
    setFocus(Qt::OtherFocusReason);
    triggerPageAction(QWebEnginePage::SelectAll);
}

QPrinter& CVoraView::Printer() {
    if (!m_printer) {
        const QPrinterInfo info = QPrinterInfo::defaultPrinter();
        m_printer = info.isNull() ? std::make_unique<QPrinter>(QPrinter::HighResolution)
                                  : std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    }
    return *m_printer;
}

void CVoraView::PrintWithoutDialog() {
    if (IsBlank() || m_printing) return;
    if (!QPrinterInfo::defaultPrinter().isNull()) {
        m_printing = true;
        print(&Printer());
        return;
    }
    QString folder = m_pdfFolder;
    if (folder.isEmpty())
        folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty()) folder = QDir::homePath();
    QDir().mkpath(folder);
    const QString name =
        QStringLiteral("orvale-%1.pdf")
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss-zzz")));
    const QString path = QDir(folder).filePath(name);
    m_lastPdfPath = path;
    connect(
        page(), &QWebEnginePage::pdfPrintingFinished, this,
        [this](const QString& file, bool ok) {
            if (!m_notify) return;
            m_notify(ok ? QStringLiteral("プリンターがないため、PDFファイルに印刷しました：\n%1")
                              .arg(file)
                        : QStringLiteral("PDFファイルに印刷できませんでした：\n%1").arg(file));
        },
        Qt::SingleShotConnection);
    page()->printToPdf(path, Printer().pageLayout());
}

void CVoraView::OnPageSetup() {
    if (IsBlank()) return;
    QPageSetupDialog dialog(&Printer(), window());
    KeepAboveOwner(dialog);
    dialog.exec();
}

void CVoraView::OnPrintPreview() {
    if (IsBlank() || m_printing) return;
    QPrintPreviewDialog dialog(&Printer(), window());
    KeepAboveOwner(dialog);
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* printer) {
        // The preview paints synchronously; wait for the page to be printed.
        QEventLoop loop;
        connect(this, &QWebEngineView::printFinished, &loop, &QEventLoop::quit);
        m_printing = true;
        print(printer);
        loop.exec();
    });
    dialog.exec();
}

void CVoraView::ShowPageMenu(const QPoint& globalPos) {
    if (IsBlank()) return;
    m_pageMenu->popup(globalPos);
}

void CVoraView::contextMenuEvent(QContextMenuEvent* event) {
    // The browser's own menu is never shown; on a page ours is.
    event->accept();
    ShowPageMenu(event->globalPos());
}

bool CVoraView::event(QEvent* event) {
    if (event->type() == QEvent::ChildAdded) {
        WatchChild(static_cast<QChildEvent*>(event)->child());
    }
    return QWebEngineView::event(event);
}

void CVoraView::WatchChild(QObject* child) {
    if (child && child->isWidgetType()) child->installEventFilter(this);
}

bool CVoraView::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::ContextMenu: {
            auto* menuEvent = static_cast<QContextMenuEvent*>(event);
            ShowPageMenu(menuEvent->globalPos());
            return true;
        }
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::RightButton) {
                ShowPageMenu(mouse->globalPosition().toPoint());
                return true;
            }
            break;
        }
        case QEvent::MouseButtonRelease:
            if (static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) return true;
            break;
        case QEvent::ShortcutOverride:
            // Claimed, so the key reaches the view (below) instead of the
            // frame's copy command.
            if (IsGuardedKey(*static_cast<QKeyEvent*>(event))) {
                event->accept();
                return true;
            }
            break;
        case QEvent::KeyPress:
            if (IsGuardedKey(*static_cast<QKeyEvent*>(event))) {
                if (m_notify) m_notify(kCtrlHint);
                return true;
            }
            break;
        case QEvent::Wheel: {
            auto* wheel = static_cast<QWheelEvent*>(event);
            if (wheel->modifiers() & Qt::ControlModifier) {
                const int steps = wheel->angleDelta().y();
                if (steps != 0) emit zoomWheel(steps > 0 ? 1 : -1);
                return true;
            }
            break;
        }
        default:
            break;
    }
    return QWebEngineView::eventFilter(watched, event);
}

}  // namespace shell
