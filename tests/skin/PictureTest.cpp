// State pictures, picture buttons, the tooltip hub and shaped dialogs.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "skin/PictureButton.h"
#include "skin/PicturePreload.h"
#include "skin/SkinDialog.h"
#include "skin/SkinRegion.h"
#include "skin/StatePictures.h"
#include "skin/TooltipHub.h"
#include "tests/skin/SkinTest.h"

namespace kelm::skin {
namespace {

using test::Shown;
using test::Solid;

const QColor kStateColours[kControlStateCount] = {Qt::red, Qt::green, Qt::blue, Qt::gray};

class PictureTest : public testing::Test {
protected:
    PictureTest() {
        for (int i = 0; i < kControlStateCount; ++i) {
            pictures_.Set(static_cast<ControlState>(i), Solid({200, 100}, kStateColours[i]));
        }
        page_.setGeometry(0, 0, 200, 100);
    }

    PictureButton* AddButton(const char* layout) {
        auto* button = new PictureButton(ParseLayout(layout), &page_);
        button->SetPictures(pictures_);
        return button;
    }

    QApplication& app_ = test::OffscreenApp();
    StatePictures pictures_;
    QWidget page_;
};

TEST_F(PictureTest, CutTakesThePieceUnderTheRectangleAtThePicturesScale) {
    QImage page(200, 100, QImage::Format_RGB32);
    page.fill(Qt::white);
    page.setPixelColor(20, 10, Qt::red);  // logical (10, 5) at scale 2
    page.setPixelColor(59, 29, Qt::blue);
    QPixmap sharp = QPixmap::fromImage(page);
    sharp.setDevicePixelRatio(2);
    pictures_.Set(ControlState::Normal, sharp);

    const QPixmap piece = pictures_.Cut(ControlState::Normal, QRect(10, 5, 20, 10));
    EXPECT_EQ(piece.size(), QSize(40, 20));
    EXPECT_EQ(piece.devicePixelRatio(), 2);
    EXPECT_EQ(piece.toImage().pixelColor(0, 0), QColor(Qt::red));
    EXPECT_EQ(piece.toImage().pixelColor(39, 19), QColor(Qt::blue));
}

TEST_F(PictureTest, LoadTakesTheSharpFileOnlyForSharpScreensAndMissingStatesFallBack) {
    QTemporaryDir folder;
    const QString base = folder.filePath(QStringLiteral("page"));
    ASSERT_TRUE(Solid({10, 10}, Qt::red).save(base + "-normal.png"));
    ASSERT_TRUE(Solid({20, 20}, Qt::green).save(base + "-normal@2x.png"));

    StatePictures loaded;
    ASSERT_TRUE(loaded.Load(base, 2));
    EXPECT_EQ(loaded.Cut(ControlState::Pressed, QRect(0, 0, 10, 10)).toImage().pixelColor(0, 0), QColor(Qt::green));
    ASSERT_TRUE(loaded.Load(base, 1));
    EXPECT_EQ(loaded.Cut(ControlState::Disabled, QRect(0, 0, 10, 10)).toImage().pixelColor(0, 0), QColor(Qt::red));
    EXPECT_FALSE(loaded.Load(folder.filePath(QStringLiteral("missing")), 1));
    EXPECT_TRUE(loaded.Cut(ControlState::Normal, QRect(0, 0, 10, 10)).isNull());
}

TEST_F(PictureTest, ButtonShowsTheLookOfItsState) {
    PictureButton* button = AddButton("Apply,10,10,40,20,Apply the changes");
    EXPECT_EQ(button->geometry(), QRect(10, 10, 40, 20));
    EXPECT_EQ(button->toolTip(), "Apply the changes");
    page_.show();
    const QPoint inside(5, 5);
    EXPECT_EQ(Shown(*button, inside), kStateColours[0]);

    QTest::mouseMove(button, inside);
    EXPECT_EQ(button->State(), ControlState::Highlighted);
    EXPECT_EQ(Shown(*button, inside), kStateColours[1]);
    button->setDown(true);
    EXPECT_EQ(Shown(*button, inside), kStateColours[2]);
    button->setDown(false);
    button->setCheckable(true);
    button->setChecked(true);
    EXPECT_EQ(Shown(*button, inside), kStateColours[2]);
    button->setEnabled(false);
    EXPECT_EQ(Shown(*button, inside), kStateColours[3]);
}

TEST_F(PictureTest, ClickEnterAndSpaceEachClickOnce) {
    PictureButton* button = AddButton("OK,0,0,40,20,");
    page_.show();
    QSignalSpy clicks(button, &QAbstractButton::clicked);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(clicks.count(), 1);
    QTest::keyClick(button, Qt::Key_Space);
    EXPECT_EQ(clicks.count(), 2);
    QTest::keyClick(button, Qt::Key_Return);
    EXPECT_TRUE(test::ProcessEventsUntil([&] { return clicks.count() == 3; }));
}

TEST_F(PictureTest, TooltipHubReportsOnlyADifferentText) {
    TooltipHub hub;
    QStringList reported;
    QObject::connect(&hub, &TooltipHub::TooltipChanged, [&](const QString& text) { reported << text; });
    PictureButton* first = AddButton("A,0,0,20,20,alpha");
    PictureButton* same = AddButton("B,30,0,20,20,alpha");
    PictureButton* other = AddButton("C,60,0,20,20,gamma");
    for (PictureButton* button : {first, same, other}) hub.Watch(button);
    page_.show();

    for (PictureButton* button : {first, same, other, other, first}) {
        QTest::mouseMove(&page_, QPoint(100, 90));
        QTest::mouseMove(button, QPoint(5, 5));
    }
    EXPECT_EQ(reported, QStringList({"alpha", "gamma", "alpha"}));
    EXPECT_EQ(hub.Text(), "alpha");
}

QImage Picture(const QStringList& rows) {
    QImage picture(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()), QImage::Format_ARGB32);
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const char c = rows[y][x].toLatin1();
            picture.setPixel(x, y, c == '.' ? qRgb(255, 255, 255) : c == 't' ? qRgba(0, 0, 0, 0) : qRgb(254, 255, 255));
        }
    }
    return picture;
}

TEST_F(PictureTest, ACaptionTooWideShrinksThenIsCutButNeverSpillsOver) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(12);
    struct Case {
        const char* text;
        int width;
        bool smaller;
        bool cut;
    };
    const Case cases[] = {
        {"OK", 50, false, false},
        {"\xc3\x9c"
         "bernehmen",
         66, true, false},
        {"A caption far too long for any small button", 60, true, true},
        {"", 10, false, false},
    };
    for (const Case& c : cases) {
        const QString text = QString::fromUtf8(c.text);
        const FittedCaption fitted = FitCaption(font, text, c.width);
        EXPECT_LE(QFontMetrics(fitted.font).horizontalAdvance(fitted.text), c.width) << c.text;
        EXPECT_EQ(fitted.font.pixelSize() < 12, c.smaller) << c.text;
        EXPECT_EQ(fitted.text != text, c.cut) << c.text;
    }
}

// Pictures decoded ahead come out as Qt would read them, once; a file not
// preloaded, or one that cannot be read, is read (or fails) as usual.
TEST_F(PictureTest, PreloadedPicturesAreThePicturesTheFilesHold) {
    QTemporaryDir folder;
    QImage opaque(7, 5, QImage::Format_RGB32);
    opaque.fill(QColor(10, 20, 30));
    opaque.setPixelColor(6, 4, QColor(250, 1, 2));
    QImage translucent(3, 3, QImage::Format_ARGB32);
    translucent.fill(QColor(40, 50, 60, 70));
    const QString opaqueFile = folder.filePath(QStringLiteral("opaque.png"));
    const QString translucentFile = folder.filePath(QStringLiteral("translucent.png"));
    ASSERT_TRUE(opaque.save(opaqueFile) && translucent.save(translucentFile));
    const QString missing = folder.filePath(QStringLiteral("missing.png"));

    PreloadPictures({opaqueFile, translucentFile, missing});
    for (const QString& file : {opaqueFile, translucentFile}) {
        const QImage expected(file);
        const QImage preloaded = TakePreloaded(file);
        ASSERT_EQ(preloaded.size(), expected.size()) << file.toStdString();
        for (int y = 0; y < expected.height(); ++y)
            for (int x = 0; x < expected.width(); ++x)
                ASSERT_EQ(preloaded.pixel(x, y), expected.pixel(x, y)) << file.toStdString() << " at " << x << "," << y;
        EXPECT_TRUE(TakePreloaded(file).isNull()) << "given out twice";
        EXPECT_EQ(ReadPicture(file).size(), expected.size()) << "read again from the file";
    }
    EXPECT_TRUE(TakePreloaded(missing).isNull());
    EXPECT_TRUE(ReadPicture(missing).isNull());
}

TEST(RegionTest, PureWhiteAndTransparentPixelsAreOutside) {
    const QImage picture = Picture({"..##..#", "#######", ".#t#...", "......."});
    const QRegion region = RegionFromPicture(picture);
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const bool inside = picture.pixel(x, y) != qRgb(255, 255, 255) && qAlpha(picture.pixel(x, y)) != 0;
            EXPECT_EQ(region.contains(QPoint(x, y)), inside) << x << "," << y;
        }
    }
    EXPECT_EQ(region.boundingRect(), QRect(0, 0, 7, 3));
}

TEST(RegionTest, ManyRunsInBlocksMakeTheSameRegionAsOneUnionPerPixel) {
    QImage picture(150, 100, QImage::Format_RGB32);  // 7500 runs: several blocks
    QRegion expected;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const bool inside = (x + y) % 2 == 0;
            picture.setPixel(x, y, inside ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
            if (inside) expected += QRect(x, y, 1, 1);
        }
    }
    EXPECT_EQ(RegionFromPicture(picture), expected);
    EXPECT_TRUE(RegionFromPicture(QImage()).isEmpty());
}

TEST(SkinDialogTest, TakesSizeAndShapeFromItsBackgroundOrStaysRectangular) {
    test::OffscreenApp();
    QTemporaryDir folder;
    const QString base = folder.filePath(QStringLiteral("dialog"));
    const QImage picture = Picture({"..##", "####", "####"});
    ASSERT_TRUE(picture.save(base + ".png"));

    SkinDialog dialog;
    EXPECT_FALSE(dialog.SetBackground(folder.filePath(QStringLiteral("missing"))));
    EXPECT_TRUE(dialog.mask().isEmpty());
    ASSERT_TRUE(dialog.SetBackground(base));
    EXPECT_EQ(dialog.size(), QSize(4, 3));
    EXPECT_EQ(dialog.mask(), RegionFromPicture(picture));
    EXPECT_TRUE(dialog.windowFlags() & Qt::FramelessWindowHint);
}

TEST(SkinDialogTest, EscapeCancels) {
    test::OffscreenApp();
    SkinDialog dialog;
    dialog.show();
    QSignalSpy rejected(&dialog, &QDialog::rejected);
    QSignalSpy accepted(&dialog, &QDialog::accepted);
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_EQ(rejected.count(), 1);
    EXPECT_EQ(accepted.count(), 0);
    EXPECT_FALSE(dialog.isVisible());
}

}  // namespace
}  // namespace kelm::skin
