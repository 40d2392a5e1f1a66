// CMessageBoxes: the one way the reader shows a message to the user. Every
// notice and error is a modal box with an OK button, captioned with the
// application name. The presenter is replaceable so that tests record the
// messages instead of blocking on a modal box.
#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace shell {

// Caption of every message box and the program's key in the settings store.
inline const QString kApplicationName = QStringLiteral("Sarynシリーズ⑫(Orvale)");
inline const QString kOrganisationName = QStringLiteral("Local AppWizard-Generated Applications");
inline const QString kWindowTitle = QStringLiteral("Saryn(Orvale)");

class CMessageBoxes {
  public:
    using Presenter =
        std::function<void(QWidget* parent, const QString& caption, const QString& text)>;

    // Without a presenter, messages go to a modal QMessageBox.
    explicit CMessageBoxes(Presenter presenter = {});

    void SetPresenter(Presenter presenter);
    void SetParent(QWidget* parent) { m_parent = parent; }
    // Shows text with the application name as caption.
    void Show(const QString& text) const;
    // A function that shows its argument through this object.
    std::function<void(const QString&)> Notifier() const;

  private:
    Presenter m_presenter;
    QWidget* m_parent = nullptr;
};

}  // namespace shell
