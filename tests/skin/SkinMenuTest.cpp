#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <functional>

#include "skin/SkinMenu.h"
#include "tests/skin/SkinTest.h"

namespace kelm::skin {
namespace {

const QColor kBlue(0x35, 0xA0, 0xDE);

class SkinMenuTest : public testing::Test {
protected:
    SkinMenuTest() {
        plain_ = menu_.AppendItem(101, "Brand");
        checked_ = menu_.AppendItem(102, "Brand", true);
        menu_.AppendSeparator();
        trademarked_ = menu_.AppendItem(103, "Brand", false, true);
        sub_.AppendItem(201, "Deeper");
        popup_ = menu_.AppendPopup(&sub_, "More");
    }

    // Keys for whichever menu is open, sent once the menu runs.
    static void TypeLater(std::initializer_list<Qt::Key> keys) {
        const std::vector<Qt::Key> typed(keys);
        QTimer::singleShot(0, [typed] {
            for (Qt::Key key : typed) QTest::keyClick(QApplication::activePopupWidget(), key);
        });
    }

    QImage Render() {
        QImage image(menu_.sizeHint(), QImage::Format_RGB32);
        image.fill(Qt::red);
        menu_.render(&image);
        return image;
    }

    // How far right the row's text reaches, and whether any of its pixels
    // lean to the checked blue rather than to grey.
    struct RowInk {
        int right = -1;
        bool bluish = false;
    };
    static RowInk Ink(const QImage& image, const QRect& row) {
        RowInk ink;
        for (int y = row.top(); y <= row.bottom(); ++y) {
            for (int x = row.left(); x <= row.right(); ++x) {
                const QColor c = image.pixelColor(x, y);
                if (c == QColor(Qt::black)) continue;
                ink.right = std::max(ink.right, x);
                ink.bluish = ink.bluish || c.blue() > c.red() + 40;
            }
        }
        return ink;
    }

    QApplication& app_ = test::OffscreenApp();
    SkinMenu menu_;
    SkinMenu sub_;
    QAction* plain_;
    QAction* checked_;
    QAction* trademarked_;
    QAction* popup_;
};

TEST_F(SkinMenuTest, TrackReturnsTheChosenCommandOrZero) {
    TypeLater({Qt::Key_Down, Qt::Key_Down, Qt::Key_Return});
    EXPECT_EQ(menu_.Track(QPoint(50, 50)), 102);
    TypeLater({Qt::Key_Up, Qt::Key_Right, Qt::Key_Return});
    EXPECT_EQ(menu_.Track(QPoint(50, 50)), 201);
    TypeLater({Qt::Key_Down, Qt::Key_Escape});
    EXPECT_EQ(menu_.Track(QPoint(50, 50)), 0);
}

TEST_F(SkinMenuTest, PopupReturnsAtOnceAndReportsTheChoice) {
    QSignalSpy chosen(&menu_, &SkinMenu::CommandChosen);
    menu_.Popup(QPoint(50, 50));
    ASSERT_TRUE(menu_.isVisible());
    for (Qt::Key key : {Qt::Key_Down, Qt::Key_Return}) QTest::keyClick(&menu_, key);
    ASSERT_EQ(chosen.count(), 1);
    EXPECT_EQ(chosen[0][0].toInt(), 101);
}

TEST_F(SkinMenuTest, WidthIsFixedOrEstimatedFromTheLongestText) {
    EXPECT_EQ(menu_.ItemWidth(), 5 * kMenuPixelsPerCharacter);  // "Brand"
    menu_.SetWidth(170);
    EXPECT_EQ(menu_.ItemWidth(), 170);
    menu_.sizeHint();
    EXPECT_EQ(menu_.actionGeometry(plain_).width(), 170);
    menu_.SetWidth(0);
    EXPECT_EQ(menu_.ItemWidth(), 5 * kMenuPixelsPerCharacter);
}

TEST_F(SkinMenuTest, PaintsColoursFrameSeparatorAndTradeMark) {
    menu_.SetWidth(122);
    const QImage image = Render();
    EXPECT_EQ(image.width(), 122 + 2 * kMenuFrameWidth);
    EXPECT_EQ(image.pixelColor(0, 0), kBlue);
    EXPECT_EQ(image.pixelColor(image.width() - 1, image.height() - 1), kBlue);
    EXPECT_EQ(image.pixelColor(1, 1), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(2, image.height() - 3), QColor(Qt::black));

    EXPECT_EQ(menu_.actionGeometry(plain_).height(), kMenuItemHeight);
    const QRect separator = menu_.actionGeometry(menu_.actions()[2]);
    EXPECT_EQ(separator.height(), kMenuSeparatorHeight);
    EXPECT_EQ(image.pixelColor(separator.center().x(), separator.center().y()), kBlue);

    const RowInk plain = Ink(image, menu_.actionGeometry(plain_));
    const RowInk checked = Ink(image, menu_.actionGeometry(checked_));
    const RowInk trademarked = Ink(image, menu_.actionGeometry(trademarked_));
    EXPECT_GT(plain.right, 0);
    EXPECT_FALSE(plain.bluish);
    EXPECT_TRUE(checked.bluish);
    EXPECT_GT(trademarked.right, plain.right + 4) << "the TM comes after the text";
    const QRect popup = menu_.actionGeometry(popup_);
    EXPECT_GT(Ink(image, popup).right, popup.right() - 15) << "the arrow sits at the right";

    menu_.setActiveAction(plain_);
    const QImage selected = Render();
    const QRect row = menu_.actionGeometry(plain_);
    EXPECT_EQ(selected.pixelColor(row.right() - 1, row.top() + 1), kBlue);
    EXPECT_EQ(image.pixelColor(row.right() - 1, row.top() + 1), QColor(Qt::black));

    // Under the mouse a checked entry is written in white: its own blue
    // would all but vanish on the selected blue.
    menu_.setActiveAction(checked_);
    const QImage hovered = Render();
    const QRect checkedRow = menu_.actionGeometry(checked_);
    bool white = false;
    for (int y = checkedRow.top(); y <= checkedRow.bottom(); ++y)
        for (int x = checkedRow.left(); x <= checkedRow.right(); ++x)
            white = white || hovered.pixelColor(x, y).lightness() > 230;
    EXPECT_TRUE(white);
}

}  // namespace
}  // namespace kelm::skin
