// CFindBar: find in the shown page. A small bar laid over the top right of
// the page view: a field, "n / m", previous, next and close. Every
// occurrence in the page is marked by the web engine's find, the current one
// apart; Enter steps forward, Shift+Enter back, Esc closes the bar and
// clears the marks. Nothing is copied. Owned by the page view; UI thread only.
#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class QLineEdit;
class QWebEngineFindTextResult;
class QWebEngineView;

namespace shell {

// "n / m" for the active match n of m, "0 / 0" when nothing is found.
QString FindCountText(int active, int count);

class CFindBar : public QWidget {
    Q_OBJECT
  public:
    explicit CFindBar(QWebEngineView* view);

    // Shows the bar at the view's top right with the focus in its field.
    void Open();
    void Close();
    void FindNext();
    void FindPrevious();

    QLineEdit* Field() const { return m_field; }
    QString CountText() const;
    int MatchCount() const { return m_count; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Find(bool backward);
    void OnResult(const QWebEngineFindTextResult& result);
    void Place();

    QWebEngineView* m_view;
    QLineEdit* m_field = nullptr;
    QLabel* m_countLabel = nullptr;
    int m_count = 0;
};

}  // namespace shell
