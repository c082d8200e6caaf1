#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <climits>
#include <set>

#include "skin/ClickSlider.h"
#include "skin/DragSlider.h"
#include "skin/SliderMath.h"
#include "tests/skin/SkinTest.h"

namespace kelm::skin {
namespace {

TEST(SliderMathTest, ValueIsMinimumPlusOffsetTimesRangeOverSpan) {
    struct Case {
        int offset, span, minimum, maximum;
        bool round;
        int value;
    };
    const Case cases[] = {
        {55, 100, 0, 10, false, 5},
        {55, 100, 0, 10, true, 6},
        {54, 100, 0, 10, true, 5},
        {50, 100, 10, 20, false, 15},
        {-30, 100, 0, 10, false, 0},
        {130, 100, 0, 10, true, 10},
        {37, 100, 0, 4, false, 1},
        {37, 100, 0, 4, true, 1},
        {38, 100, 0, 4, true, 2},
        {5, 0, 3, 9, true, 3},
        {5, -4, 3, 9, true, 3},
        {7, 10, 5, 5, true, 5},
        {INT_MAX, INT_MAX, INT_MIN, INT_MAX, false, INT_MAX},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ValueAt(c.offset, c.span, c.minimum, c.maximum, c.round), c.value)
            << c.offset << "/" << c.span << " in " << c.minimum << ".." << c.maximum << " round " << c.round;
    }
    EXPECT_EQ(OffsetOf(2, 100, 0, 4), 50);
    EXPECT_EQ(OffsetOf(9, 100, 0, 4), 100);
    EXPECT_EQ(OffsetOf(3, 100, 3, 3), 0);
}

class SliderTest : public testing::Test {
protected:
    template <typename Slider>
    void Prepare(Slider& slider, int minimum, int maximum, bool round) {
        slider.SetRange(minimum, maximum);
        slider.SetRounding(round);
        QObject::connect(&slider, &SkinSlider::ValueChanged, [this](int value, int id) {
            reported_.push_back(value);
            EXPECT_EQ(id, kId);
        });
        slider.show();
    }

    static constexpr int kId = 1234;
    QApplication& app_ = test::OffscreenApp();
    std::vector<int> reported_;
};

TEST_F(SliderTest, AClickSetsTheValueUnderIt) {
    ClickSlider slider(ParseLayout("Volume,0,0,100,12,"), kId, nullptr);
    Prepare(slider, 10, 0, true);  // either order
    QTest::mouseClick(&slider, Qt::LeftButton, {}, QPoint(55, 6));
    QTest::mouseClick(&slider, Qt::LeftButton, {}, QPoint(99, 6));
    slider.SetRounding(false);
    QTest::mouseClick(&slider, Qt::LeftButton, {}, QPoint(55, 6));
    EXPECT_EQ(reported_, std::vector<int>({6, 10, 5}));
    EXPECT_EQ(slider.Value(), 5);
}

TEST_F(SliderTest, KeysStepTheValueWithinTheRange) {
    ClickSlider slider(ParseLayout("Speed,0,0,100,12,"), kId, nullptr);
    Prepare(slider, 0, 2, false);
    for (Qt::Key key : {Qt::Key_Right, Qt::Key_Right, Qt::Key_Right, Qt::Key_Home, Qt::Key_Left, Qt::Key_End}) {
        QTest::keyClick(&slider, key);
    }
    EXPECT_EQ(reported_, std::vector<int>({1, 2, 2, 0, 0, 2}));
}

// Track 108 wide, thumb 8: the thumb's left edge runs over 0..100.
class DragSliderTest : public SliderTest {
protected:
    DragSliderTest() { Prepare(slider_, 0, 4, true); }

    void Drag(int from, int to) {
        QTest::mousePress(&slider_, Qt::LeftButton, {}, QPoint(from, 6));
        QTest::mouseMove(&slider_, QPoint(to, 6));
        QTest::mouseRelease(&slider_, Qt::LeftButton, {}, QPoint(to, 6));
    }

    DragSlider slider_{ParseLayout("Delay,0,0,108,12,"), kId, nullptr};
};

TEST_F(DragSliderTest, EachMoveReportsTruncatedAndTheReleaseRounded) {
    Drag(4, 4 + 38);
    EXPECT_EQ(reported_, std::vector<int>({1, 2}));
    EXPECT_EQ(slider_.Value(), 2);
    EXPECT_EQ(slider_.ThumbLeft(), 50);
}

TEST_F(DragSliderTest, WithRoundingTheThumbSnapsToOneOfFivePlaces) {
    std::set<int> places;
    for (int to = -20; to <= 130; to += 3) {
        slider_.SetValue(0);
        Drag(4, to);
        places.insert(slider_.ThumbLeft());
        EXPECT_EQ(slider_.ThumbLeft(), slider_.Value() * 25) << to;
    }
    EXPECT_EQ(places, std::set<int>({0, 25, 50, 75, 100}));
}

TEST_F(DragSliderTest, WithoutRoundingTheThumbStaysWhereItWasLeft) {
    slider_.SetRounding(false);
    Drag(4, 4 + 38);
    EXPECT_EQ(slider_.ThumbLeft(), 38);
    EXPECT_EQ(slider_.Value(), 1);
    reported_.clear();
    Drag(80, 90);  // not on the thumb
    EXPECT_TRUE(reported_.empty());
}

}  // namespace
}  // namespace kelm::skin
