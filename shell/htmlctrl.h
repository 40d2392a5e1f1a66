// CHtmlCtrl: the keyword box of the search form. A text field that takes
// CJK text through the platform's input methods, drawn like the input page
// it stands for: 35 characters wide, on the form's background, in a CJK
// serif font at 14 pixels. It is created in place of a placeholder control of
// the form and takes over its rectangle and ID. Owned by the left form.
#pragma once

#include <QString>
#include <QWidget>
#include <optional>

class QLineEdit;

namespace shell {

class CHtmlCtrl : public QWidget {
    Q_OBJECT
  public:
    explicit CHtmlCtrl(QWidget* parent = nullptr);

    // Takes the placeholder's parent, geometry and object name (its ID),
    // then deletes the placeholder. False when there is no placeholder.
    bool ReplacePlaceholder(QWidget* placeholder);

    // The typed text, or nothing when the box is empty.
    std::optional<QString> Value() const;
    QLineEdit* Field() const { return m_field; }

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    QLineEdit* m_field = nullptr;
};

}  // namespace shell
