// The tray icon's picture: a small keyboard, drawn when it is first needed
// rather than shipped as an image file. Needs a QGuiApplication.
#pragma once

#include <QIcon>

namespace kelm {

QIcon KeyboardIcon();

}  // namespace kelm
