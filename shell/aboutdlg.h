// CAboutDlg: the about box, a borderless dialog showing the about picture
// (bitmap 168, 500 x 350). Releasing the left mouse button on it closes it with
// QDialog::Accepted; Escape closes it too. Use: shell::CAboutDlg(frame).exec();
#pragma once

#include <QDialog>
#include <QPixmap>

namespace shell {

class CAboutDlg : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kPictureId = 168;

    explicit CAboutDlg(QWidget* parent = nullptr);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    QPixmap m_picture;
};

}  // namespace shell
