#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include "skin/PictureEdit.h"
#include "tests/skin/SkinTest.h"

namespace kelm::skin {
namespace {

class PictureEditTest : public testing::Test {
protected:
    PictureEditTest() {
        edit_.SetNumeric(true);
        edit_.show();
    }

    QApplication& app_ = test::OffscreenApp();
    PictureEdit edit_{ParseLayout("Edit_Times,10,10,60,18,"), nullptr};
    QSignalSpy changed_{&edit_, &PictureEdit::Changed};
};

TEST_F(PictureEditTest, TypingKeepsOnlyWhatTheModeAllows) {
    struct Case {
        bool numeric;
        bool withSigns;
        const char* typed;
        const char* kept;
    };
    const Case cases[] = {
        {true, false, "12a3", "123"}, {true, false, "x", ""},  {true, false, "-5+", "5"},
        {true, true, "-5+", "-5+"},   {true, true, "=1", "1"}, {true, false, "4 2", "42"},
        {false, false, "a-1", "a-1"},
    };
    for (const Case& c : cases) {
        edit_.clear();
        edit_.SetNumeric(c.numeric);
        edit_.SetSigned(c.withSigns);
        QTest::keyClicks(&edit_, c.typed);
        EXPECT_EQ(edit_.text(), c.kept) << c.typed;
    }
}

TEST_F(PictureEditTest, ALetterHasNoEffectAndReportsNothing) {
    edit_.setText("12");
    changed_.clear();
    QTest::keyClick(&edit_, Qt::Key_A);
    QTest::keyClick(&edit_, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit_.text(), "12");
    EXPECT_EQ(changed_.count(), 0);
}

TEST_F(PictureEditTest, PastedTextIsCutAtItsFirstForeignCharacterAndReportedOnce) {
    edit_.insert("12a45");
    EXPECT_EQ(edit_.text(), "12");
    EXPECT_EQ(changed_.count(), 1);

    edit_.setText("7-3x");
    EXPECT_EQ(edit_.text(), "7");
    edit_.SetSigned(true);
    edit_.setText("7-3x");
    EXPECT_EQ(edit_.text(), "7-3");

    edit_.SetNumeric(false);
    edit_.setText("99 bottles");
    EXPECT_EQ(edit_.text(), "99 bottles");
    edit_.SetNumeric(true);
    EXPECT_EQ(edit_.text(), "99");
}

TEST_F(PictureEditTest, LosingTheFocusIsReported) {
    QSignalSpy lost(&edit_, &PictureEdit::FocusLost);
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(&edit_, &out);
    EXPECT_EQ(lost.count(), 1);
}

}  // namespace
}  // namespace kelm::skin
