// CKeywordHistory: the drop-down list of the keyword box. It offers the last
// 50 keywords searched (newest first) under the box: opened by the arrow at
// the box's end or the Down key; a click or Enter puts the keyword in the
// box; Delete removes the highlighted entry. The list is saved in QSettings
// at each change and read back at start. Owned by the main frame; UI thread only.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include "panel/recentkeywords.h"

class QCompleter;
class QLineEdit;
class QStringListModel;

namespace shell {

class CKeywordHistory : public QObject {
    Q_OBJECT
  public:
    CKeywordHistory(QLineEdit* field, QObject* parent = nullptr);

    // A keyword was searched: it goes first.
    void Add(const QString& keyword);
    bool Remove(const QString& keyword);
    QStringList Items() const;
    // Opens the drop-down list (nothing when the list is empty).
    void ShowList();
    QCompleter* Completer() const { return m_completer; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Refresh();

    QLineEdit* m_field;
    panel::RecentKeywords m_recent;
    QStringListModel* m_model = nullptr;
    QCompleter* m_completer = nullptr;
};

}  // namespace shell
