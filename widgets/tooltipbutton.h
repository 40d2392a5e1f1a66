// CToolTipButton: a push button with its own tooltip text that can be switched
// on and off. SetTipText("text", true) sets and activates it.
#pragma once

#include <QPushButton>
#include <QString>

namespace widgets {

class CToolTipButton : public QPushButton {
    Q_OBJECT
  public:
    explicit CToolTipButton(QWidget* parent = nullptr);

    // Nothing happens for a null text. Otherwise the tip becomes text, shown
    // while activate is true and hidden while it is false.
    void SetTipText(const QString& text, bool activate = true);
    QString TipText() const;
    bool TipActive() const;

  private:
    QString m_tipText;
    bool m_tipActive = false;
};

}  // namespace widgets
