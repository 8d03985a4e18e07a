// The notice line as a player meets it: the quick save and load keys say what they did,
// or why they did not, for a moment at the top of the picture.
#include <gtest/gtest.h>

#include "support/engine_run.h"

namespace tarvex {
namespace {

class NoticePlay : public test::DemoPlayTest {};

TEST_F(NoticePlay, QuickSaveAndLoadSayWhatTheyDid) {
    Line("0 pointer 400 300");
    Line("20 key F6");  // no quick save yet
    Line("30 key F5");
    Line("100 key F6");
    Play("--scene 0", 110, {19, 21, 31, 95, 101}, {19, 31, 95});

    EXPECT_EQ(Dump(19)["notice"], "");
    EXPECT_EQ(Dump(21)["notice"], "Сохранение не загружено: нет файла quick.sav");
    EXPECT_EQ(Dump(31)["notice"], "Сохранено");
    EXPECT_TRUE(std::filesystem::exists(dir + "/saves/quick.sav"));
    EXPECT_EQ(Dump(95)["notice"], "");  // a short notice: two seconds
    const auto loaded = Dump(101);
    EXPECT_EQ(loaded["notice"], "Загружено");
    EXPECT_EQ(loaded["currentScene"], 0);

    // On screen at the top while it lasts, gone after.
    const auto none = Shot(19), saved = Shot(31), after = Shot(95);
    ASSERT_TRUE(none.ok && saved.ok && after.ok);
    EXPECT_GT(test::Difference(none, saved, 300, 40, 500, 62), 5.0);
    EXPECT_LT(test::Difference(none, after, 300, 40, 500, 62), 1.0);
}

}  // namespace
}  // namespace tarvex
