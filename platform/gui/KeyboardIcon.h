// The tray icon's picture: a small keyboard, drawn when it is first needed
// rather than shipped as an image file. The icon needs a QGuiApplication.
#pragma once

#include <QIcon>
#include <QImage>

namespace kelm {

QIcon KeyboardIcon();
// The same keyboard on a transparent square of size pixels, for the
// suite's desktop icons drawn at build time.
QImage KeyboardImage(int size);

}  // namespace kelm
