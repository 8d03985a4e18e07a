// Close-up views without a hero: the keypad (98), the notebook (250) and a corridor view (287).
#include <cmath>
#include <cstdio>
#include <string>

#include "fonts.h"
#include "rooms.h"
#include "sequences.h"
#include "texts.h"

namespace tarvex::demo {

namespace {

// Scene 98: the panel beside the lift. Keys, monitor, lamps and card slot sit where the
// scripts place their tools and pictures.
constexpr int kKeyX[10] = {452, 304, 353, 402, 305, 354, 403, 306, 354, 403};
constexpr int kKeyY[10] = {453, 351, 352, 351, 400, 401, 402, 449, 450, 451};
constexpr int kKeySize = 46;
constexpr int kAsteriskX[6] = {328, 352, 380, 408, 436, 464};
constexpr int kAsteriskY[6] = {230, 229, 229, 230, 229, 229};
struct Lamp98 {
  const char* path;
  int x, y;
  bool green;
};
const Lamp98 kLamps[4] = {{"animgfx/scene098/green000.Tif", 540, 150, true},
                          {"animgfx/scene098/red000.Tif", 540, 190, false},
                          {"animgfx/scene098/green1000.Tif", 580, 150, true},
                          {"animgfx/scene098/red1000.Tif", 580, 190, false}};

Camera FrontCamera(double distance) {
  Camera c;
  c.eye = {0, 150, distance};
  c.target = {0, 150, 0};
  c.fovDegrees = 45;
  RoundCamera(c);
  return c;
}

// A box standing out of the wall z = 0 under a screen rectangle.
void FrontBlock(RoomKit& k, const Camera& cam, double x0, double y0, double x1, double y1, double depth, int mat) {
  V3 a = ScreenOnPlane(cam, x0, y0, 2, depth), b = ScreenOnPlane(cam, x1, y1, 2, depth);
  k.Block({std::min(a.x, b.x), std::min(a.y, b.y), 0}, {std::max(a.x, b.x), std::max(a.y, b.y), depth}, mat, false);
}

Room KeypadRoom(const Camera& cam, int pressedKey) {
  Room room;
  RoomKit k{room};
  int wall = k.Mat({0.60, 0.66, 0.63}, kPanel, {0.48, 0.52, 0.50}, 60);
  int plate = k.Mat({0.42, 0.44, 0.47}, kPlain);
  int key = k.Mat({0.78, 0.78, 0.74});
  int keyDown = k.Mat({0.95, 0.85, 0.55}, kPlain, {}, 40, 0.5);
  int screen = k.Mat({0.04, 0.12, 0.07});
  int reader = k.Mat({0.22, 0.23, 0.25}, kPanel, {0.1, 0.1, 0.1}, 12);
  int slot = k.Mat({0.02, 0.02, 0.02});
  int lampOff = k.Mat({0.25, 0.25, 0.22});
  k.Shell({-400, 0, 0}, {400, 400, 600}, wall, wall, wall, wall, wall, wall);
  FrontBlock(k, cam, 290, 120, 520, 520, 2, plate);
  FrontBlock(k, cam, 307, 139, 505, 262, 3, screen);
  for (int d = 0; d < 10; ++d) {
    double inset = 4;
    FrontBlock(k, cam, kKeyX[d] + inset, kKeyY[d] + inset, kKeyX[d] + kKeySize - inset, kKeyY[d] + kKeySize - inset,
               d == pressedKey ? 3.0 : 6.0, d == pressedKey ? keyDown : key);
  }
  FrontBlock(k, cam, 139, 109, 264, 508, 8, reader);
  FrontBlock(k, cam, 196, 160, 207, 460, 8.5, slot);
  for (const Lamp98& l : kLamps) FrontBlock(k, cam, l.x + 4, l.y + 4, l.x + 26, l.y + 26, 4, lampOff);
  PointLight l1;
  l1.position = {-150, 320, 320};
  l1.colour = {255, 245, 230};
  l1.range = 2000;
  l1.a1 = 0.0006;
  room.lights.push_back(l1);
  room.ambient = {60, 62, 64};
  return room;
}

void DigitLabel(Image& img, int d, int x, int y) {
  SansBoldFont().Draw(img, x + kKeySize / 2, y + kKeySize / 2 + 9, std::to_string(d), 24, {40, 40, 40, 255}, 1);
}

// A monitor picture; prompts cover only its upper part, so that the stars of the digits
// (y 229 and below) show under them.
constexpr int kMonitorHeight = 123, kPromptHeight = 84;
Image ScreenText(const Image& background, const std::string& line1, const std::string& line2, Rgba colour,
                 int height = kMonitorHeight) {
  Image img = background.Crop(307, 139, 198, height);
  for (int y = 0; y < img.height(); y += 3) img.FillRect(0, y, img.width(), y + 1, {0, 0, 0, 60});
  SansBoldFont().Draw(img, 99, 40, line1, 15, colour, 1);
  SansBoldFont().Draw(img, 99, 62, line2, 15, colour, 1);
  return img;
}

void Scene098(Output& out) {
  Camera cam = FrontCamera(420);
  SceneDescription d;
  d.camera = cam;
  d.start = {0, 0, 300};
  Room room = KeypadRoom(cam, -1);
  RenderResult r = RenderScene(room, d);
  for (int dgt = 0; dgt < 10; ++dgt) DigitLabel(r.colour, dgt, kKeyX[dgt], kKeyY[dgt]);
  Image background = r.colour;
  WriteSceneFiles(out, 98, r, d, false);

  for (int dgt = 0; dgt < 10; ++dgt) {
    Room pressed = KeypadRoom(cam, dgt);
    Image key = RenderCrop(pressed, cam, kKeyX[dgt], kKeyY[dgt], kKeySize, kKeySize);
    DigitLabel(key, dgt, 0, 0);
    char name[64];
    std::snprintf(name, sizeof name, "gfx/scene098/knopka%02d.bmp", dgt);
    out.Add(name, EncodeBmp24(key));
  }
  // The screen's messages, with the English pack's own copies.
  Rgba green{90, 255, 140, 255}, red{255, 90, 70, 255}, amber{255, 220, 80, 255};
  struct Screen {
    const char* file;
    const char *line1, *line2, *english1, *english2;
    Rgba colour;
    bool prompt;
  };
  const Screen screens[] = {
      {"Monitor000.Tif", "ПАНЕЛЬ", "ВКЛЮЧЕНА", "PANEL", "ON", green, false},
      {"personal_password000.Tif", "ВВЕДИТЕ", "ОБЩИЙ КОД", "ENTER THE", "GENERAL CODE", green, true},
      {"access_denied000.Tif", "ДОСТУП", "ЗАПРЕЩЁН", "ACCESS", "DENIED", red, false},
      {"exceeding_situation000.Tif", "НЕШТАТНАЯ", "СИТУАЦИЯ", "EMERGENCY", "SITUATION", amber, false},
      {"exceeding_password000.Tif", "ВВЕДИТЕ ЛИЧНЫЙ", "ПАРОЛЬ", "ENTER PERSONAL", "PASSWORD", green, true},
      {"access_granted000.Tif", "ДОСТУП", "РАЗРЕШЁН", "ACCESS", "GRANTED", green, false},
  };
  for (const Screen& sc : screens) {
    const int height = sc.prompt ? kPromptHeight : kMonitorHeight;
    const std::string path = std::string("animgfx/scene098/") + sc.file;
    AddFrame(out, path, 0, ScreenText(background, sc.line1, sc.line2, sc.colour, height));
    AddFrame(out, kEnglishPictures + path, 0, ScreenText(background, sc.english1, sc.english2, sc.colour, height));
  }
  for (int p = 0; p < 6; ++p) {
    Image a = background.Crop(kAsteriskX[p], kAsteriskY[p], 22, 22);
    SansBoldFont().Draw(a, 11, 22, "*", 26, green, 1);
    char name[64];
    std::snprintf(name, sizeof name, "animgfx/scene098/asterisk%d_000.Tif", p + 1);
    AddFrame(out, name, 0, a);
  }
  // Lamps: two frames each (dim, lit) so that a script may blink them.
  for (const Lamp98& l : kLamps) {
    for (int f = 0; f < 2; ++f) {
      Image img = background.Crop(l.x, l.y, 30, 30);
      Rgba c = l.green ? Rgba{60, 255, 110, 255} : Rgba{255, 60, 50, 255};
      img.FillCircle(15, 15, f ? 11 : 9, f ? c : Mix(c, {0, 0, 0, 255}, 0.45));
      img.FillCircle(12, 12, 3, {255, 255, 255, 160});
      AddFrame(out, l.path, f, img);
    }
  }
}

// Scene 250: the notebook on a desk, seen from above.
const char* const kPageFiles[12] = {"b", "k", "m", "g", "s", "t", "r", "f", "c", "d", "sh", "b"};
// Pages 1 to 3 are always there; the scripts write page 4 (the notebook taken), 5 and 6
// (the old man's words), 7 (the plaque) and 8 (the register). Pages 9 to 11 stay empty.
const char* const kPageTexts[11][5] = {
    {"Понедельник.", "Проснулся поздно.", "Соседа за стенкой", "не слышно три дня.", "Надо зайти к нему."},
    {"Лифт ходит только", "по коду с панели.", "Код знает консьерж?", "", "Спросить у старика."},
    {"Номер квартиры", "старика — 131.", "Он всегда дома", "после обеда.", ""},
    {"Дела на сегодня:", "— зайти к соседу,", "— узнать код лифта,", "— взять фонарь.", ""},
    {"Старик: общий код", "панели — год, когда", "построили дом.", "Ещё нужны карточка", "и пароль консьержа."},
    {"Пароль консьержа:", "этаж архива (115),", "за ним этаж", "мастерских (149).", "Консьерж — в архиве."},
    {"В котельной", "табличка: «Дом", "построен в 1957».", "Это общий код!", ""},
    {"Журнал консьержа:", "«Ушёл вниз со", "стариком из 131».", "Надо спросить", "старика."},
    {"", "", "", "", ""},
    {"", "", "", "", ""},
    {"", "", "", "", ""}};
const char* const kEnglishPageTexts[8][5] = {
    {"Monday.", "Woke up late.", "Not a sound from", "next door in three", "days. Must call."},
    {"The lift only runs", "on the panel's code.", "Does the concierge", "know it?", "Ask the old man."},
    {"The old man's flat", "is number 131.", "He is always home", "after lunch.", ""},
    {"Things to do:", "- call on neighbour,", "- find the lift code,", "- take the lantern.", ""},
    {"Old man: the general", "code is the year", "the house was built.", "Also the card and", "the concierge's code."},
    {"Concierge's code:", "archive floor (115),", "then the floor of", "the workshops (149).", "He's in the archive."},
    {"In the boiler room", "a plaque: \"Built", "in 1957\".", "That's the code!", ""},
    {"Concierge's register:", "\"Went down with the", "old man from 131\".", "Must ask the", "old man."}};

Image NotebookPage(int page, int w, int h, bool english = false) {
  Image img(w, h, {246, 240, 222, 255});
  for (int y = 50; y < h - 10; y += 28) img.FillRect(12, y, w - 12, y + 1, {170, 190, 220, 255});
  img.FillRect(52, 0, 54, h, {220, 150, 150, 255});
  img.Outline(0, 0, w, h, 2, {120, 100, 80, 255});
  for (int line = 0; line < 5; ++line)
    HandFont().Draw(img, 66, 74 + 56 * line, english && page < 8 ? kEnglishPageTexts[page][line] : kPageTexts[page][line],
                    24, {30, 40, 110, 255});
  return img;
}

void Scene250(Output& out) {
  Room room;
  RoomKit k{room};
  int desk = k.Mat({0.50, 0.30, 0.16}, kPlanks, {0.30, 0.17, 0.08}, 30);
  int cover = k.Mat({0.20, 0.28, 0.45});
  k.Shell({-600, 0, -600}, {600, 900, 600}, desk, desk, desk, desk, desk, desk);
  k.Block({-260, 0, -210}, {260, 3, 210}, cover, false);
  PointLight l;
  l.position = {150, 600, 200};
  l.colour = {255, 240, 210};
  l.range = 3000;
  l.a1 = 0.0004;
  room.lights.push_back(l);
  room.ambient = {70, 64, 58};
  SceneDescription d;
  d.camera.eye = {0, 700, 1};
  d.camera.target = {0, 0, 0};
  d.camera.fovDegrees = 50;
  d.start = {0, 0, 0};
  RenderResult r = RenderScene(room, d);
  // Page buttons under tools 501 (back) and 502 (forward).
  Image& img = r.colour;
  img.Bevel(44, 340, 107, 393, {200, 190, 160, 255}, false);
  img.Line(88, 352, 62, 366, 5, {80, 60, 40, 255});
  img.Line(62, 366, 88, 380, 5, {80, 60, 40, 255});
  img.Bevel(43, 423, 108, 477, {200, 190, 160, 255}, false);
  img.Line(63, 436, 89, 450, 5, {80, 60, 40, 255});
  img.Line(89, 450, 63, 464, 5, {80, 60, 40, 255});
  // The caption under the way back is painted into the picture: the English pack has its own.
  Image english = img;
  SansFont().Draw(img, 696, 590, "назад", 16, {240, 230, 200, 255}, 1);
  SansFont().Draw(english, 696, 590, "back", 16, {240, 230, 200, 255}, 1);
  out.Add(kEnglishPictures + SceneName(250, ".tif"), EncodeTiffRgb(english));
  WriteSceneFiles(out, 250, r, d, false);
  for (int p = 0; p < 11; ++p) {
    std::string path = std::string("animgfx/scene250/") + kPageFiles[p] + "000.Tif";
    AddFrame(out, path, 0, NotebookPage(p, p < 6 ? 500 : 486, p < 6 ? 400 : 390));
    if (p < 8) AddFrame(out, kEnglishPictures + path, 0, NotebookPage(p, p < 6 ? 500 : 486, p < 6 ? 400 : 390, true));
  }
}

// Scene 287: a corridor view; region 1 steps on, region 0 goes back.
void Scene287(Output& out) {
  Room room;
  RoomKit k{room};
  int wall = k.Mat({0.55, 0.58, 0.62}, kBricks, {0.35, 0.35, 0.36}, 50);
  int floor = k.Mat({0.40, 0.40, 0.42}, kTiles, {0.25, 0.25, 0.26}, 50);
  int ceiling = k.Mat({0.50, 0.50, 0.50});
  int glow = k.Mat({1.0, 0.95, 0.8}, kPlain, {}, 40, 1.3);
  int door = k.Mat({0.35, 0.25, 0.18}, kPanel, {0.2, 0.14, 0.1}, 50);
  k.Shell({-110, 0, -2400}, {110, 260, 200}, wall, wall, floor, ceiling, wall, door);
  for (int i = 0; i < 5; ++i) {
    double z = -150 - 450.0 * i;
    k.Lamp({0, 240, z}, {255, 235, 200}, 700, 0.003, glow);
    k.Block({-110, 0, z - 60}, {-104, 210, z + 30}, door, false);
  }
  room.ambient = {30, 30, 34};
  SceneDescription d;
  d.camera.eye = {0, 160, 150};
  d.camera.target = {0, 120, -500};
  d.camera.fovDegrees = 55;
  d.start = {0, 0, 0};
  RenderResult r = RenderScene(room, d);
  WriteSceneFiles(out, 287, r, d, false);
}

}  // namespace

void BuildCloseUps(Output& out) {
  Scene098(out);
  Scene250(out);
  Scene287(out);
}

}  // namespace tarvex::demo
