// CPageLook: applies the reading settings to the page view and the window:
// the style sheet laid over every page (typeface, vertical text, screen
// colours) through a script in the page's isolated world, the view's zoom,
// and the window palette for the dark scheme. It loads the settings from
// QSettings at start and saves each change at once. The page files are never
// touched. Owned by the main frame; UI thread only.
#pragma once

#include <QObject>
#include <QPalette>
#include <QString>
#include <QStringList>

#include "panel/readingsettings.h"

class QSettings;
class QWebEngineView;

namespace shell {

class CPageLook : public QObject {
    Q_OBJECT
  public:
    explicit CPageLook(QWebEngineView* view, QObject* parent = nullptr);

    const panel::ReadingSettings& Settings() const { return m_settings; }
    // Whether the dark palette is in use (the scheme, or the system's when "system").
    bool IsDark() const;

    void SetZoom(int percent);
    void ZoomIn();
    void ZoomOut();
    void ResetZoom();
    void SetVertical(bool vertical);
    void SetFontFamily(const QString& family);
    void SetScheme(panel::ColourScheme scheme);

    // The faces installed on this machine, for the face chooser.
    static QStringList InstalledFamilies();
    // The settings as stored now.
    static panel::ReadingSettings Load(QSettings& settings);

  signals:
    void changed();

  private:
    void Apply();
    void ApplyZoom();
    void ApplyPalette();
    void Save();

    QWebEngineView* m_view;
    panel::ReadingSettings m_settings;
    QPalette m_systemPalette;
};

}  // namespace shell
