// CVoraView: the page view, the right pane of the main window. Shows the page
// files the page display writes (a local file, optionally scrolled to a hit
// anchor "#NNNN") and guards the text: its own two-item right-click menu in
// place of the browser's, a copy limited to 600 double-byte-counted bytes,
// the keys that copy or select (Ctrl+C, Ctrl+X, Ctrl+A, Ctrl+Insert) turned
// away with a hint while every other Ctrl key works, select all, print without a dialog,
// page setup and print preview. Until the first page is shown it displays
// "about:blank" and every edit and print command is disabled.
//
// Pages are shown with JavaScript off; only file:, about: and data: URLs
// load, so nothing reaches the network. The browsing profile is kept in
// memory only. Owned by the main frame's splitter; UI thread only.
#pragma once

#include <QString>
#include <QWebEngineView>
#include <functional>
#include <memory>

class QMenu;
class QPrinter;

namespace shell {

class CVoraView : public QWebEngineView {
    Q_OBJECT
  public:
    using Notify = std::function<void(const QString&)>;

    explicit CVoraView(Notify notify, QWidget* parent = nullptr);
    ~CVoraView() override;

    // Shows "about:blank".
    void OnInitialUpdate();
    // Shows the local file at path, at the anchor when one is given.
    void Navigate2(const QString& path, const QString& anchor = {});
    // "about:blank" until the first page is shown (also before the blank page
    // has finished loading).
    QString GetLocationURL() const;
    bool IsBlank() const { return GetLocationURL() == QStringLiteral("about:blank"); }

    // The limited copy: a selection of at most 600 bytes goes to the
    // clipboard as the browser copies it; a longer one is cut at 600 bytes
    // (never inside a character) and only that plain text is kept.
    void OnCopy();
    void OnSelectAll();
    // Prints at once: to the default printer, or, on a machine without one,
    // to a PDF file in the documents folder, saying where.
    void PrintWithoutDialog();
    void OnPageSetup();
    void OnPrintPreview();

    // The right-click menu (its actions carry the command IDs 32771, 32772).
    QMenu* PageMenu() const { return m_pageMenu; }
    // Where the last print without a printer went; empty otherwise.
    const QString& LastPdfPath() const { return m_lastPdfPath; }
    // The folder of those PDF files (default: the user's documents folder).
    void SetPdfFolder(const QString& folder) { m_pdfFolder = folder; }

  signals:
    // The shown location changed: enable rules may have changed.
    void locationChanged();
    // Ctrl+wheel over the page: +1 to zoom in, -1 to zoom out.
    void zoomWheel(int direction);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool event(QEvent* event) override;

  private:
    // Gives the marks of the anchor in the address the current-hit class.
    void MarkCurrentHit();
    void WatchChild(QObject* child);
    void ShowPageMenu(const QPoint& globalPos);
    void CutClipboardText();
    QPrinter& Printer();

    Notify m_notify;
    QMenu* m_pageMenu = nullptr;
    std::unique_ptr<QPrinter> m_printer;
    QString m_lastPdfPath;
    QString m_pdfFolder;
    bool m_printing = false;
};

}  // namespace shell
