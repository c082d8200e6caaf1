// A page of a skinned window: a child window that paints its background
// picture under its controls.
#pragma once

#include <QPixmap>
#include <QString>
#include <QWidget>

namespace kelm::skin {

class SkinPage : public QWidget {
    Q_OBJECT
public:
    explicit SkinPage(QWidget* parent) : QWidget(parent) {}

    // "<base>.png" (and "@2x"); a picture that cannot be loaded leaves the
    // page unpainted.
    void SetBackground(const QString& base);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap background_;
};

}  // namespace kelm::skin
