// The demo's landing, played by the engine: its script names the way back to the flat, so
// the go-back cursor over it carries the flat's name from "data/zones.txt", and nothing is
// written under the pointer elsewhere.
#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>

#include "support/engine_run.h"

namespace tarvex {
namespace {

using WayBackNamePlayTest = test::DemoPlayTest;

// The number of the line "id name" in a UTF-16 LE text table; -1 when there is none.
int TableLine(const std::string& file, const std::u16string& name) {
    std::ifstream in(file, std::ios::binary);
    const std::string b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::u16string text = u"\n";
    for (size_t i = 2; i + 1 < b.size(); i += 2) text += char16_t(uint8_t(b[i]) | uint8_t(b[i + 1]) << 8);
    const size_t end = text.find(u" " + name + u"\r\n");
    const size_t start = end == std::u16string::npos ? end : text.rfind(u'\n', end) + 1;
    return start < end ? std::stoi(std::string(text.begin() + start, text.begin() + end)) : -1;
}

// Near-white pixels where a name goes: 64 pixels to each side of the pointer, from just
// below the cursor picture (16 pixels under the pointer) to 40 pixels under it.
int WhiteBelow(const test::Picture& shot, int x, int y) {
    int white = 0;
    for (int row = y + 17; row < std::min(y + 40, 600); ++row)
        for (int col = x - 64; col < x + 64; ++col) {
            const uint8_t* p = shot.At(col, row);
            white += p[0] > 230 && p[1] > 230 && p[2] > 230;
        }
    return white;
}

TEST_F(WayBackNamePlayTest, TheGoBackCursorCarriesTheNameOfThePlaceItLeadsTo) {
    const int flat = TableLine(demo + "/data/zones.txt", u"Квартира");
    ASSERT_GT(flat, 0);
    Line("30 pointer 400 570");  // over the way back along the bottom edge
    Line("45 pointer 400 300");
    Play("--scene 0", 52, {40, 50}, {40, 50});

    const auto over = Dump(40);
    EXPECT_EQ(over["cursorPicture"], 4);
    const auto& regions = over["regions"];
    const auto region = std::find_if(regions.begin(), regions.end(),
                                     [&](const auto& r) { return r["index"] == over["regionUnderPointer"]; });
    ASSERT_NE(region, regions.end());
    EXPECT_EQ((*region)["cursor"], 4);
    EXPECT_EQ((*region)["label"], flat);
    EXPECT_NE(Dump(50)["cursorPicture"], 4);

    const auto named = Shot(40), plain = Shot(50);
    ASSERT_TRUE(named.ok && plain.ok);
    EXPECT_GT(WhiteBelow(named, 400, 570), 30);
    EXPECT_EQ(WhiteBelow(plain, 400, 570), 0);
}

}  // namespace
}  // namespace tarvex
