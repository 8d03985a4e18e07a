// The demo game generator, checked with independent readers (ffprobe for the credits,
// small parsers here for walk masks, text tables and the scene scripts) for
// what would leave the demo unfinishable. (What the rooms show and do is held by the golden run.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

namespace {

std::string Shell(const std::string& command) {
  std::string out;
  FILE* p = popen(command.c_str(), "r");
  if (!p) return out;
  char buf[4096];
  for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
  pclose(p);
  return out;
}

Bytes ReadAll(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(f), {});
}
uint32_t U32(const Bytes& b, size_t at) { return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24; }
uint16_t U16(const Bytes& b, size_t at) { return uint16_t(b[at] | b[at + 1] << 8); }

// The loose output, made once per build of the generator and shared between the test processes.
const std::string& Demo() {
  static const std::string loose = tarvex::test::GeneratedDemo("loose", true);
  return loose;
}
fs::path Loose(const std::string& rel) { return fs::path(Demo()) / rel; }

std::string SceneFile(int scene, const char* suffix) {
  char name[64];
  std::snprintf(name, sizeof name, "scenes/scr_%3.3d%s", scene, suffix);
  return name;
}

}  // namespace

// UTF-16 LE text table lines: id -> text.
std::map<int, std::u16string> ReadTable(const std::string& rel) {
  Bytes b = ReadAll(Loose(rel));
  std::map<int, std::u16string> lines;
  EXPECT_GE(b.size(), 2u);
  EXPECT_EQ(U16(b, 0), 0xFEFF) << rel;
  std::u16string all;
  for (size_t i = 2; i + 1 < b.size(); i += 2) all.push_back(char16_t(U16(b, i)));
  size_t start = 0;
  while (start < all.size()) {
    size_t end = all.find(u"\r\n", start);
    EXPECT_NE(end, std::u16string::npos) << rel << ": line without CR LF";
    if (end == std::u16string::npos) break;
    std::u16string line = all.substr(start, end - start);
    size_t i = 0;
    int id = 0;
    while (i < line.size() && line[i] >= u'0' && line[i] <= u'9') id = id * 10 + (line[i++] - u'0');
    EXPECT_GT(i, 0u);
    EXPECT_TRUE(i < line.size() && (line[i] == u' ' || line[i] == u'\t'));
    lines[id] = line.substr(i + 1);
    start = end + 2;
  }
  return lines;
}

// Every line has its text and a voice; a line stays on the screen as long as its voice, so
// the voice lasts as long as reading the line takes (15 letters a second and half a second
// more, never under a second and a half). The closing credits last long enough to read.
TEST(Demo, EveryLineHasTextAndAVoiceLongEnoughToRead) {
  ASSERT_FALSE(Demo().empty());
  auto dialog = ReadTable("texts/dialog.txt");
  auto otboy = ReadTable("texts/otboy.txt");
  auto zones = ReadTable("data/zones.txt");
  EXPECT_FALSE(zones.empty());
  std::vector<int> needed = {763, 767, 769, 775, 776, 777, 778, 1347};
  for (int id = 206; id <= 233; ++id) ASSERT_TRUE(dialog.count(id)) << id;
  for (int id : {445, 446, 447, 448, 471, 472, 473, 474, 475, 476, 477}) ASSERT_TRUE(dialog.count(id)) << id;
  for (int id : needed) ASSERT_TRUE(otboy.count(id)) << id;
  auto checkWav = [](const fs::path& p, size_t letters = 0) {
    Bytes w = ReadAll(p);
    ASSERT_GT(w.size(), 44u) << p;
    const double seconds = double(U32(w, 40)) / U32(w, 28);
    if (letters) {
      EXPECT_GE(seconds, std::max(1.5, letters / 15.0 + 0.5)) << p << ": " << letters << " letters";
    }
    EXPECT_EQ(U32(w, 40), w.size() - 44) << p;  // the rest of the header: demo_formats
  };
  char name[64];
  for (const auto& [id, text] : dialog) {
    EXPECT_FALSE(text.empty());
    std::snprintf(name, sizeof name, "sound/dialog/dial%4.4d.wav", id);
    checkWav(Loose(name), text.size());
  }
  for (const auto& [id, text] : otboy) {
    std::snprintf(name, sizeof name, "sound/otboy/%4.4d.wav", id);
    checkWav(Loose(name), text.size());
  }
  const std::string credits = Shell("ffprobe -v error -show_entries format=duration -of csv=p=0 '" +
                                    Loose("video/titres.bik").string() + "' 2>&1");
  EXPECT_GE(std::atof(credits.c_str()), 12.0) << credits;
  for (const char* p : {"sound/scene000/Lift_open.wav", "sound/scene098/9.wav", "sound/global/click.wav",
                        "sound/menu/menusound.wav", "sound/ambient/hospital.wav", "sound/stepfloor/step4.wav"})
    checkWav(Loose(p));
}

// ---- The scene scripts ("scripts/sceneNNN.lua"), read as the generator filled them in. ----

namespace {

const int kScriptScenes[] = {0, 23, 24, 25, 75, 115, 134, 135, 149, 219, 261};

// The script of a scene with the values of its upper-case constants ("local A, B = 1, 2")
// put in place of their names, so that every call names its numbers.
std::string ScriptText(int scene) {
  char name[32];
  std::snprintf(name, sizeof name, "scripts/scene%3.3d.lua", scene);
  Bytes b = ReadAll(Loose(name));
  std::string text(b.begin(), b.end());
  const std::regex constants(R"re(local ([A-Z_]+(?:, [A-Z_]+)*) = (-?\d+(?:, -?\d+)*))re");
  std::map<std::string, std::string> values;
  for (std::sregex_iterator m(text.begin(), text.end(), constants), end; m != end; ++m) {
    std::stringstream names((*m)[1].str()), numbers((*m)[2].str());
    for (std::string n, v; std::getline(names >> std::ws, n, ',') && std::getline(numbers >> std::ws, v, ',');)
      values[n] = v;
  }
  for (const auto& [n, v] : values) text = std::regex_replace(text, std::regex("\\b" + n + "\\b"), v);
  return text;
}

// Each match of `pattern` in the text: its groups, 1 on.
std::vector<std::vector<std::string>> Calls(const std::string& text, const std::string& pattern) {
  std::vector<std::vector<std::string>> out;
  const std::regex re(pattern);
  for (std::sregex_iterator m(text.begin(), text.end(), re), end; m != end; ++m) {
    out.emplace_back();
    for (size_t i = 1; i < m->size(); ++i) out.back().push_back((*m)[i].str());
  }
  return out;
}
int Num(const std::string& s) { return std::atoi(s.c_str()); }

// structure.txt's sections: the keyword lines of each tool, in order.
std::map<int, std::vector<std::pair<std::string, int>>> StructureSections() {
  Bytes b = ReadAll(Loose("texts/structure.txt"));
  std::stringstream text(std::string(b.begin(), b.end()));
  std::map<int, std::vector<std::pair<std::string, int>>> sections;
  int tool = -1;
  char key[32];
  int value;
  for (std::string line; std::getline(text, line);) {
    if (std::sscanf(line.c_str(), " %31s %d", key, &value) != 2) continue;
    if (std::string(key) == "TOOL") tool = value;
    else if (tool >= 0) sections[tool].push_back({key, value});
  }
  return sections;
}

bool HasLine(const std::vector<std::pair<std::string, int>>& section, const std::string& key) {
  return std::any_of(section.begin(), section.end(), [&](const auto& l) { return l.first == key; });
}

uint8_t MaskCell(int scene, double x, double y) {
  Bytes m = ReadAll(Loose(SceneFile(scene, "m.raw")));
  if (x < 0 || y < 0 || x >= 800 || y >= 600 || m.size() != 120000) return 255;
  return m[size_t(y / 2) * 400 + size_t(x / 2)];
}

}  // namespace

// Every call of every script, whatever branch it lies on: the tools it places have a line to
// look at them with, the files, remarks and scenes it names are in the game, the items it
// gives have their icon and lines, the notebook pages are the notebook's.
TEST(Demo, EverythingTheScriptsNameIsInTheGame) {
  ASSERT_FALSE(Demo().empty());
  auto sections = StructureSections();
  auto otboy = ReadTable("texts/otboy.txt");
  std::set<int> taken = {39, 47, 61, 62, 181, 188, 197, 212, 742};  // the items the player gets
  size_t placed = 0, said = 0;
  for (int scene : kScriptScenes) {
    SCOPED_TRACE(scene);
    const std::string text = ScriptText(scene);
    for (const auto& c : Calls(text, R"re(PlaceTool\((\d+), 1,)re")) {
      ++placed;
      EXPECT_TRUE(HasLine(sections[Num(c[0])], "LOOK")) << "tool " << c[0] << " lies in a room without a LOOK line";
    }
    for (const auto& c : Calls(text, R"re(PlaceToolPicture\("([^"]+)", (\d+),)re")) {
      EXPECT_TRUE(fs::exists(Loose(c[0]))) << c[0];
      EXPECT_TRUE(HasLine(sections[Num(c[1])], "LOOK")) << "tool " << c[1];
    }
    for (const auto& c : Calls(text, R"re((?:StartAmbient|PlayVideo)\("([^"]+)")re")) EXPECT_TRUE(fs::exists(Loose(c[0]))) << c[0];
    for (const auto& c : Calls(text, R"re(SetToolOwnership\((\d+), 1,)re")) taken.insert(Num(c[0]));
    for (const auto& c : Calls(text, R"re(PlayResponse\((\d+)\))re")) {
      ++said;
      EXPECT_TRUE(otboy.count(Num(c[0]))) << "remark " << c[0];
    }
    for (const auto& c : Calls(text, R"re(WriteNotebookPage\((\d+)\))re")) EXPECT_TRUE(Num(c[0]) >= 4 && Num(c[0]) <= 12) << c[0];
    for (const auto& c : Calls(text, R"re((?:GotoScene\(|exits = \{)(\d+(?:, \d+)*))re")) {
      std::stringstream scenes(c[0]);
      for (std::string n; std::getline(scenes >> std::ws, n, ',');)
        EXPECT_TRUE(fs::exists(Loose(SceneFile(Num(n), ".tif")))) << "scene " << n;
    }
  }
  EXPECT_GT(placed, 10u);  // the constants were read: tools are named by them
  EXPECT_GT(said, 5u);
  for (int tool : taken) {
    char icon[64];
    std::snprintf(icon, sizeof icon, "textures/tools/tool%3.3d.tga", tool);
    EXPECT_TRUE(fs::exists(Loose(icon))) << icon;
    EXPECT_TRUE(HasLine(sections[tool], "LOOKT") && HasLine(sections[tool], "OTBOY")) << tool;
  }
}

TEST(Demo, ScriptedHotspotsLieOnTheScreenAndWalksEndOnFreeFloor) {
  ASSERT_FALSE(Demo().empty());
  // The scripted rooms with a walk mask.
  for (int scene : {0, 23, 24, 25, 75, 115, 149}) {
    SCOPED_TRACE(scene);
    const std::string text = ScriptText(scene);
    const auto regions = Calls(text, R"re(DefineRegion\(\d+, (\d+), (\d+), (\d+), (\d+), CURSOR_\w+, (\d+), (\d+),)re");
    auto rects = Calls(text, R"re(PlaceTool\(\d+, 1, (\d+), (\d+), (\d+), (\d+)\))re");
    rects.insert(rects.end(), regions.begin(), regions.end());
    for (const auto& r : rects) {
      const int l = Num(r[0]), t = Num(r[1]), right = Num(r[2]), b = Num(r[3]);
      EXPECT_TRUE(0 <= l && l + 4 < right && right <= 800 && 0 <= t && t + 4 < b && b <= 600)
          << l << "," << t << " " << right << "," << b;
    }
    auto walks = Calls(text, R"re((?:go(?:Do|Use)\(\d+, \w+, |WalkTo\(\d+, )(\d+), (\d+),)re");
    for (const auto& r : regions) walks.push_back({r[4], r[5]});
    for (const auto& w : walks) EXPECT_EQ(MaskCell(scene, Num(w[0]), Num(w[1])), 0) << "a walk to " << w[0] << "," << w[1];
    EXPECT_GT(walks.size(), 0u);
  }
}

TEST(Demo, ToolSectionsSayEveryReactionAndCombineTheLanternBothWays) {
  ASSERT_FALSE(Demo().empty());
  auto sections = StructureSections();
  auto otboy = ReadTable("texts/otboy.txt");
  for (const auto& [tool, lines] : sections) {
    SCOPED_TRACE(tool);
    for (size_t i = 0; i < lines.size(); ++i) {
      const auto& [key, value] = lines[i];
      if (key == "LOOK" || key == "USE" || key == "PICKUP" || key == "TALK" || key == "LOOKT" || key == "USET" ||
          key == "OTBOY" || key == "DIAL") {
        EXPECT_TRUE(otboy.count(value)) << key << " " << value << " has no text";
      }
      if (key == "CLICK") {
        ASSERT_LT(i + 1, lines.size());
        EXPECT_EQ(lines[i + 1].first, "DIAL") << "CLICK " << value << " without its remark";
      }
    }
  }
  // Either lantern part held on the other makes the bright lantern of both.
  for (auto [held, other] : {std::pair{47, 61}, std::pair{61, 47}}) {
    const auto& lines = sections[held];
    auto at = std::find(lines.begin(), lines.end(), std::pair<std::string, int>{"CLICKTOOLBAR", other});
    ASSERT_NE(at, lines.end()) << held;
    std::set<std::pair<std::string, int>> changes(at + 1, std::find_if(at + 1, lines.end(), [](const auto& l) {
                                                    return l.first == "CLICKTOOLBAR" || l.first == "CLICK";
                                                  }));
    std::set<std::pair<std::string, int>> want = {{"ADDTOOL", 39}, {"DELTOOL", 61}, {"DELTOOL", 47}};
    EXPECT_EQ(changes, want) << held;
  }
  // The items with uses of their own in the toolbar leave their remark unspoken over.
  for (int tool : {61, 181, 212}) EXPECT_FALSE(HasLine(sections[tool], "USET")) << tool;
}
