// KelmSetup's pictures as the build draws them: every control of every
// window lies inside its window, the keyboard's caps neither overlap nor
// leave the page, each page's keys exist on the keyboard, and a shaped
// window's corners are outside it.
#include <gtest/gtest.h>

#include <QImage>
#include <QRect>
#include <algorithm>

#include "setup/KeyboardPicture.h"
#include "setup/art/SkinArt.h"
#include "skin/Layout.h"
#include "skin/SkinRegion.h"
#include "tests/platform/gui/OffscreenApp.h"

namespace kelm::test {
namespace {

using art::ArtWindow;

QRect Rect(const KeyCap& key) { return QRect(key.x, key.y, key.width, key.height); }

TEST(SkinArtTest, EveryControlLiesInsideItsWindow) {
    for (const ArtWindow& window : art::SetupWindows()) {
        const QRect all(QPoint(0, 0), window.size);
        for (const art::ArtControl& control : window.controls) {
            const QRect rect = skin::ParseLayout(control.layout).Rect();
            // A control placed at 0,0,0,0 exists but is never seen.
            if (rect.isNull()) continue;
            EXPECT_TRUE(all.contains(rect)) << window.name.toStdString() << ": " << control.layout;
        }
    }
}

TEST(SkinArtTest, KeyCapsStayOnThePageApartAndHoldEveryAssignedKey) {
    const QRect page(0, 0, 774, 312);
    const auto keys = KeyboardKeys();
    for (std::size_t i = 0; i < keys.size(); ++i) {
        EXPECT_TRUE(page.contains(Rect(keys[i]))) << keys[i].name;
        for (std::size_t j = i + 1; j < keys.size(); ++j)
            EXPECT_FALSE(Rect(keys[i]).intersects(Rect(keys[j]))) << keys[i].name << " and " << keys[j].name;
    }
    for (const auto assigned : {MacroKeysPageKeys(), HotGridPageKeys(), MediaFPageKeys()})
        for (const std::string_view name : assigned)
            EXPECT_TRUE(std::any_of(keys.begin(), keys.end(), [name](const KeyCap& key) { return key.name == name; }))
                << name;
}

TEST(SkinArtTest, AShapedWindowsCornersAreOutsideAndItsPicturesComeAtTwiceTheDensity) {
    OffscreenApp();
    const auto windows = art::SetupWindows();
    const auto main = std::find_if(windows.begin(), windows.end(), [](const ArtWindow& w) { return w.name == "Main"; });
    ASSERT_NE(main, windows.end());
    const QImage plain = art::RenderBackground(*main, 1);
    const QImage sharp = art::RenderLook(*main, art::Look::Pressed, 2);
    EXPECT_EQ(plain.size(), main->size);
    EXPECT_EQ(sharp.size(), main->size * 2);
    const QRegion shape = skin::RegionFromPicture(plain);
    EXPECT_FALSE(shape.contains(QPoint(0, 0)));
    EXPECT_FALSE(shape.contains(QPoint(main->size.width() - 1, main->size.height() - 1)));
    EXPECT_TRUE(shape.contains(QPoint(main->size.width() / 2, main->size.height() / 2)));
    EXPECT_TRUE(shape.contains(QPoint(main->size.width() / 2, 0))) << "the top edge belongs to the window";
}

}  // namespace
}  // namespace kelm::test
