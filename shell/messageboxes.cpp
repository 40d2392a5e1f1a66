#include "shell/messageboxes.h"

#include <QMessageBox>
#include <utility>

namespace shell {

namespace {

void ShowModalBox(QWidget* parent, const QString& caption, const QString& text) {
    QMessageBox::information(parent, caption, text, QMessageBox::Ok);
}

}  // namespace

CMessageBoxes::CMessageBoxes(Presenter presenter) { SetPresenter(std::move(presenter)); }

void CMessageBoxes::SetPresenter(Presenter presenter) {
    m_presenter = presenter ? std::move(presenter) : Presenter(ShowModalBox);
}

void CMessageBoxes::Show(const QString& text) const {
    m_presenter(m_parent, kApplicationName, text);
}

std::function<void(const QString&)> CMessageBoxes::Notifier() const {
    return [this](const QString& text) { Show(text); };
}

}  // namespace shell
