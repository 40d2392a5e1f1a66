#include "shell/pagelook.h"

#include <QApplication>
#include <QFontDatabase>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>
#include <QSettings>
#include <QStyle>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>

#include "panel/pagestyle.h"

namespace shell {

namespace {

const QString kScriptName = QStringLiteral("orvale-reading-style");

// Adds the style element once, as the document's last, and sets its text.
QString StyleScript(const std::string& css) {
    const QString literal =
        QString::fromUtf8(
            QJsonDocument(QJsonArray{QString::fromStdString(css)}).toJson(QJsonDocument::Compact))
            .mid(1)
            .chopped(1);
    return QStringLiteral(
               "(function(){var s=document.getElementById('orvale-reading');"
               "if(!s){s=document.createElement('style');s.id='orvale-reading';}"
               "s.textContent=%1;"
               "(document.head||document.documentElement).appendChild(s);})();")
        .arg(literal);
}

QColor ToColor(panel::Rgb c) { return QColor(c.r, c.g, c.b); }

QPalette DarkWindowPalette() {
    const panel::PagePalette& p = panel::DarkPalette();
    QPalette palette;
    const QColor base = ToColor(p.background);
    const QColor text = ToColor(p.text);
    const QColor window(0x2B, 0x2B, 0x2B);
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, base);
    palette.setColor(QPalette::AlternateBase, QColor(0x26, 0x26, 0x26));
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Button, QColor(0x35, 0x35, 0x35));
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::ToolTipBase, window);
    palette.setColor(QPalette::ToolTipText, text);
    palette.setColor(QPalette::PlaceholderText, QColor(0xA0, 0xA0, 0xA0));
    palette.setColor(QPalette::Highlight, QColor(0x3D, 0x6F, 0xB0));
    palette.setColor(QPalette::HighlightedText, QColor(0xFF, 0xFF, 0xFF));
    palette.setColor(QPalette::Link, QColor(0x8A, 0xB4, 0xF8));
    palette.setColor(QPalette::Light, QColor(0x50, 0x50, 0x50));
    palette.setColor(QPalette::Midlight, QColor(0x40, 0x40, 0x40));
    palette.setColor(QPalette::Mid, QColor(0x30, 0x30, 0x30));
    palette.setColor(QPalette::Dark, QColor(0x1A, 0x1A, 0x1A));
    palette.setColor(QPalette::Shadow, QColor(0x10, 0x10, 0x10));
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        palette.setColor(QPalette::Disabled, role, QColor(0x80, 0x80, 0x80));
    }
    return palette;
}

// The desktop's palette as the application started with it, before any
// scheme of ours replaced it.
const QPalette& SystemPalette() {
    static const QPalette palette = QApplication::palette();
    return palette;
}

// The palette with every colour set explicitly: a palette that sets nothing
// would leave the widgets in the colours of the scheme before.
QPalette Explicit(const QPalette& source) {
    QPalette palette;
    for (int group = 0; group < QPalette::NColorGroups; ++group) {
        for (int role = 0; role < QPalette::NColorRoles; ++role) {
            const auto g = static_cast<QPalette::ColorGroup>(group);
            const auto r = static_cast<QPalette::ColorRole>(role);
            palette.setColor(g, r, source.color(g, r));
        }
    }
    return palette;
}

}  // namespace

CPageLook::CPageLook(QWebEngineView* view, QObject* parent)
    : QObject(parent), m_view(view), m_systemPalette(SystemPalette()) {
    QSettings settings;
    m_settings = Load(settings);
    // The zoom is the page's: set it again on every page the view loads.
    connect(m_view, &QWebEngineView::loadFinished, this, [this] { ApplyZoom(); });
    Apply();
}

panel::ReadingSettings CPageLook::Load(QSettings& settings) {
    panel::StoredValues stored;
    for (const char* key :
         {panel::kZoomKey, panel::kFontKey, panel::kVerticalKey, panel::kSchemeKey}) {
        const QVariant value = settings.value(QString::fromLatin1(key));
        if (value.isValid()) stored[key] = value.toString().toStdString();
    }
    std::vector<std::string> installed;
    for (const QString& family : InstalledFamilies()) installed.push_back(family.toStdString());
    return panel::ReadReadingSettings(stored, installed);
}

QStringList CPageLook::InstalledFamilies() { return QFontDatabase::families(); }

bool CPageLook::IsDark() const {
    switch (m_settings.scheme) {
        case panel::ColourScheme::kDark:
            return true;
        case panel::ColourScheme::kLight:
            return false;
        case panel::ColourScheme::kSystem:
            break;
    }
    // This Qt reports no colour scheme of its own: a dark window colour in
    // the desktop's palette means a dark desktop.
    return m_systemPalette.color(QPalette::Window).lightness() < 128;
}

void CPageLook::SetZoom(int percent) {
    m_settings.zoomPercent = panel::ClampZoom(percent);
    ApplyZoom();
    Save();
}

void CPageLook::ZoomIn() { SetZoom(panel::ZoomIn(m_settings.zoomPercent)); }
void CPageLook::ZoomOut() { SetZoom(panel::ZoomOut(m_settings.zoomPercent)); }
void CPageLook::ResetZoom() { SetZoom(panel::kDefaultZoomPercent); }

void CPageLook::SetVertical(bool vertical) {
    m_settings.vertical = vertical;
    Apply();
    Save();
}

void CPageLook::SetFontFamily(const QString& family) {
    if (family.isEmpty()) return;
    m_settings.fontFamily = family.toStdString();
    Apply();
    Save();
}

void CPageLook::SetScheme(panel::ColourScheme scheme) {
    m_settings.scheme = scheme;
    Apply();
    Save();
}

void CPageLook::Apply() {
    panel::PageLook look;
    look.fontFamily = m_settings.fontFamily;
    look.vertical = m_settings.vertical;
    look.dark = IsDark();
    const QString source = StyleScript(panel::PageStyleSheet(look));

    QWebEnginePage* page = m_view->page();
    QWebEngineScriptCollection& scripts = page->scripts();
    for (const QWebEngineScript& old : scripts.find(kScriptName)) scripts.remove(old);
    QWebEngineScript script;
    script.setName(kScriptName);
    script.setInjectionPoint(QWebEngineScript::DocumentReady);
    script.setWorldId(QWebEngineScript::ApplicationWorld);
    script.setRunsOnSubFrames(false);
    script.setSourceCode(source);
    scripts.insert(script);
    // The page shown now takes the new sheet at once.
    page->runJavaScript(source, QWebEngineScript::ApplicationWorld);
    page->setBackgroundColor(look.dark ? ToColor(panel::DarkPalette().background) : Qt::white);
    ApplyZoom();
    ApplyPalette();
    emit changed();
}

void CPageLook::ApplyZoom() {
    const double factor = m_settings.zoomPercent / 100.0;
    if (!qFuzzyCompare(m_view->zoomFactor(), factor)) m_view->setZoomFactor(factor);
}

void CPageLook::ApplyPalette() {
    // "System" keeps the desktop's palette as it came; a chosen scheme
    // replaces it only where it differs.
    const bool systemDark = m_systemPalette.color(QPalette::Window).lightness() < 128;
    QPalette target = m_systemPalette;
    if (m_settings.scheme == panel::ColourScheme::kDark && !systemDark) {
        target = DarkWindowPalette();
    } else if (m_settings.scheme == panel::ColourScheme::kLight && systemDark) {
        target = QApplication::style()->standardPalette();
    }
    QApplication::setPalette(Explicit(target));
}

void CPageLook::Save() {
    QSettings settings;
    for (const auto& [key, value] : panel::WriteReadingSettings(m_settings)) {
        settings.setValue(QString::fromStdString(key), QString::fromStdString(value));
    }
}

}  // namespace shell
