#include <gtest/gtest.h>

#include <QTest>

#include "skin/EditableList.h"
#include "skin/PictureEdit.h"
#include "tests/skin/SkinTest.h"

namespace kelm::skin {
namespace {

enum class Start { NewRow, SelectedRow, DelayRow };

class EditableListTest : public testing::Test {
protected:
    EditableListTest() {
        Fill();
        QObject::connect(&list_, &EditableList::NewRowNamed, [this](int row) { posted_.push_back({1524, row}); });
        QObject::connect(&list_, &EditableList::RowEdited, [this](int row) { posted_.push_back({1526, row}); });
        list_.resize(200, 200);
        list_.show();
    }

    void Fill() {
        list_.clear();
        list_.addItems({"First", "250"});
        list_.item(0)->setData(Qt::UserRole, 7);
        list_.setCurrentRow(0);
        posted_.clear();
    }

    bool Begin(Start start) {
        switch (start) {
            case Start::NewRow:
                return list_.EditNewRow();
            case Start::SelectedRow:
                return list_.EditSelectedRow();
            case Start::DelayRow:
                list_.setCurrentRow(1);
                return list_.EditDelayRow();
        }
        return false;
    }

    QStringList Rows() const {
        QStringList rows;
        for (int i = 0; i < list_.count(); ++i) rows << list_.item(i)->text();
        return rows;
    }

    QApplication& app_ = test::OffscreenApp();
    EditableList list_{nullptr};
    std::vector<std::pair<int, int>> posted_;
};

TEST_F(EditableListTest, EnterKeepsTheTrimmedTextAndEscapeTheOldOne) {
    struct Case {
        Start start;
        const char* typed;
        Qt::Key finish;
        QStringList rows;
        std::vector<std::pair<int, int>> posted;
    };
    const Case cases[] = {
        {Start::NewRow, "  Macro 1 ", Qt::Key_Return, {"First", "250", "Macro 1"}, {{1524, 2}}},
        {Start::NewRow, "Macro 1", Qt::Key_Escape, {"First", "250"}, {}},
        {Start::NewRow, "   ", Qt::Key_Enter, {"First", "250"}, {}},
        {Start::SelectedRow, "Renamed", Qt::Key_Return, {"Renamed", "250"}, {{1526, 0}}},
        {Start::SelectedRow, "Renamed", Qt::Key_Escape, {"First", "250"}, {}},
        {Start::SelectedRow, " ", Qt::Key_Return, {"First", "250"}, {}},
        {Start::SelectedRow,
         "abcdefghijklmnopqrstuvwxyz",
         Qt::Key_Return,
         {"abcdefghijklmnopqrstuvwx", "250"},
         {{1526, 0}}},
        {Start::DelayRow, "1a2-3", Qt::Key_Return, {"First", "123"}, {{1526, 1}}},
        {Start::DelayRow, "1234567890123456789012", Qt::Key_Return, {"First", "12345678901234567890"}, {{1526, 1}}},
    };
    for (const Case& c : cases) {
        Fill();
        ASSERT_TRUE(Begin(c.start)) << c.typed;
        ASSERT_TRUE(list_.Editor() != nullptr);
        EXPECT_TRUE(list_.Editor()->hasSelectedText() || list_.Editor()->text().isEmpty());
        QTest::keyClicks(list_.Editor(), c.typed);
        QTest::keyClick(list_.Editor(), c.finish);
        EXPECT_FALSE(list_.Editing()) << c.typed;
        EXPECT_EQ(Rows(), c.rows) << c.typed;
        EXPECT_EQ(posted_, c.posted) << c.typed;
        EXPECT_EQ(list_.item(0)->data(Qt::UserRole).toInt(), 7) << "the row keeps its data";
    }
}

TEST_F(EditableListTest, OneEditAtATimeAndNoneWithoutASelection) {
    ASSERT_TRUE(list_.EditSelectedRow());
    EXPECT_FALSE(list_.EditNewRow());
    EXPECT_FALSE(list_.EditSelectedRow());
    EXPECT_EQ(list_.count(), 2);
    QTest::keyClick(list_.Editor(), Qt::Key_Escape);
    list_.setCurrentRow(-1);
    EXPECT_FALSE(list_.EditSelectedRow());
}

TEST_F(EditableListTest, LeavingTheFieldKeepsTheText) {
    ASSERT_TRUE(list_.EditNewRow());
    QTest::keyClicks(list_.Editor(), "Kept");
    QFocusEvent out(QEvent::FocusOut, Qt::MouseFocusReason);
    QApplication::sendEvent(list_.Editor(), &out);
    EXPECT_FALSE(list_.Editing());
    EXPECT_EQ(Rows(), QStringList({"First", "250", "Kept"}));
    EXPECT_EQ(posted_, (std::vector<std::pair<int, int>>{{1524, 2}}));
}

}  // namespace
}  // namespace kelm::skin
