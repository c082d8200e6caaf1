#include "skin/PicturePreload.h"

#include <png.h>

#include <future>
#include <map>
#include <mutex>
#include <thread>

namespace kelm::skin {

namespace {

// Decoded without Qt, which must not be touched off its main thread before
// the application exists: libpng's simplified reader, into the byte order
// of QImage's 32-bit formats.
struct Decoded {
    std::vector<std::uint8_t> pixels;
    int width = 0;
    int height = 0;
    bool alpha = false;
};

Decoded Decode(const std::string& file) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&image, file.c_str()) == 0) return {};
    Decoded decoded;
    decoded.alpha = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    image.format = PNG_FORMAT_BGRA;
    decoded.width = static_cast<int>(image.width);
    decoded.height = static_cast<int>(image.height);
    decoded.pixels.resize(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, decoded.pixels.data(), 0, nullptr) == 0) {
        png_image_free(&image);
        return {};
    }
    return decoded;
}

QImage ToImage(Decoded decoded) {
    if (decoded.pixels.empty()) return {};
    auto* owner = new std::vector<std::uint8_t>(std::move(decoded.pixels));
    return QImage(
        owner->data(), decoded.width, decoded.height, decoded.width * 4,
        decoded.alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32,
        [](void* pixels) { delete static_cast<std::vector<std::uint8_t>*>(pixels); }, owner);
}

struct Preloaded {
    std::mutex mutex;
    std::map<QString, std::future<Decoded>> pictures;
    std::jthread decoder;  // joined when the program ends
};

Preloaded& Cache() {
    static Preloaded cache;
    return cache;
}

}  // namespace

void PreloadPictures(std::vector<QString> files) {
    Preloaded& cache = Cache();
    // One task decodes them all in order: the first one is needed first.
    auto promises = std::make_shared<std::vector<std::promise<Decoded>>>(files.size());
    std::vector<std::string> paths;
    {
        const std::lock_guard lock(cache.mutex);
        for (std::size_t i = 0; i < files.size(); ++i) {
            cache.pictures[files[i]] = (*promises)[i].get_future();
            paths.push_back(files[i].toLocal8Bit().toStdString());
        }
    }
    cache.decoder = std::jthread([paths = std::move(paths), promises] {
        for (std::size_t i = 0; i < paths.size(); ++i) (*promises)[i].set_value(Decode(paths[i]));
    });
}

QImage TakePreloaded(const QString& file) {
    std::future<Decoded> picture;
    {
        Preloaded& cache = Cache();
        const std::lock_guard lock(cache.mutex);
        const auto found = cache.pictures.find(file);
        if (found == cache.pictures.end()) return {};
        picture = std::move(found->second);
        cache.pictures.erase(found);
    }
    return ToImage(picture.get());
}

QImage ReadPicture(const QString& file) {
    QImage picture = TakePreloaded(file);
    return picture.isNull() ? QImage(file) : picture;
}

}  // namespace kelm::skin
