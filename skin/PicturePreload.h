// Pictures decoded ahead of need on a thread of their own, while the
// program sets up its application and connects to the display: the first
// frame of a skinned window waits for several window-sized pictures, and a
// second core can decode them meanwhile. Loading a preloaded file takes the
// decoded picture (waiting for it if it is not ready yet); any other file
// loads as usual.
#pragma once

#include <QImage>
#include <QString>
#include <vector>

namespace kelm::skin {

// Once per program, before the pictures are needed; files that cannot be
// read are simply not preloaded.
void PreloadPictures(std::vector<QString> files);

// The picture of file as preloaded, given out once; a null image when the
// file was not preloaded or could not be decoded.
QImage TakePreloaded(const QString& file);

// TakePreloaded, else the file read now.
QImage ReadPicture(const QString& file);

}  // namespace kelm::skin
