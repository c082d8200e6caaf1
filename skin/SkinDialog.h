// The base of every skinned window: frameless, as large as its background
// picture and shaped by it, moved by dragging the background, closed as
// cancelled by Escape (QDialog's own handling).
#pragma once

#include <QDialog>
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QString>

namespace kelm::skin {

class SkinDialog : public QDialog {
    Q_OBJECT
public:
    explicit SkinDialog(QWidget* parent = nullptr);

    // Loads "<base>.png" (and "<base>@2x.png" for sharp screens). A picture
    // that cannot be loaded leaves the window rectangular; false then.
    bool SetBackground(const QString& base);

    // The title, drawn in the title font inside `area`.
    void SetTitle(const QString& title, const QRect& area);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QPixmap background_;
    QString title_;
    QRect titleArea_;
    QPoint grab_;  // where the background was taken, while dragging
    bool dragging_ = false;
};

}  // namespace kelm::skin
