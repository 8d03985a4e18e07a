// Interface pictures: verb icons, the nine cursors, the toolbar pieces, tool icons,
// the lantern textures, and the main menu with its buttons, panels, sliders, clock
// and pendulum.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "formats/math3d.h"
#include "fonts.h"
#include "interface_art.h"
#include "sequences.h"

namespace tarvex::demo {

using namespace tarvex::formats;

namespace {

const Rgba kInk{30, 24, 18, 255}, kGold{236, 196, 96, 255}, kPaper{240, 230, 200, 255};

// The menu's pictures are drawn twice: with the game's captions, and with English ones into
// the English pack's own pictures.
bool drawingEnglish = false;
std::string pictureFolder;

std::string Caption(const std::string& russian) {
  static const std::map<std::string, std::string> english = {
      {"НОВАЯ ИГРА", "NEW GAME"}, {"ЗАГРУЗИТЬ", "LOAD"}, {"СОХРАНИТЬ", "SAVE"}, {"НАСТРОЙКИ", "OPTIONS"},
      {"АВТОРЫ", "CREDITS"}, {"ВЫХОД", "EXIT"}, {"ТАРВЕКС", "TARVEX"}, {"Назад", "Back"},
      {"Настройки", "Options"}, {"Тени", "Shadows"}, {"Субтитры", "Subtitles"}, {"Яркость", "Gamma"},
      {"Звук", "Sound"}, {"Музыка", "Music"}, {"нет картинки", "no picture"}, {"Сохранить", "Save"},
      {"Загрузить", "Load"}, {"игру", "game"}, {"Имя", "Name"}, {"Запись", "Save"},
      {"Наберите имя и нажмите OK", "Type a name and press OK"},
      {"Выберите запись и нажмите OK", "Choose a save and press OK"}, {"другие записи", "other saves"}};
  if (!drawingEnglish) return russian;
  const auto it = english.find(russian);
  return it == english.end() ? russian : it->second;
}

Image Icon(int kind, bool selected) {
  Image img(32, 32, {0, 0, 0, 0});
  Rgba face = selected ? Rgba{250, 210, 110, 235} : Rgba{150, 140, 120, 200};
  img.FillCircle(16, 16, 14.5, face);
  img.Ring(16, 16, 14.5, 1.5, selected ? Rgba{255, 255, 255, 255} : Rgba{60, 50, 40, 255});
  switch (kind) {
    case 0:  // look: an eye
      img.Line(6, 16, 16, 10, 2, kInk); img.Line(16, 10, 26, 16, 2, kInk);
      img.Line(6, 16, 16, 22, 2, kInk); img.Line(16, 22, 26, 16, 2, kInk);
      img.FillCircle(16, 16, 3.5, kInk);
      break;
    case 1:  // talk: a mouth
      img.Line(8, 14, 24, 14, 2.5, {150, 30, 30, 255});
      img.Line(8, 14, 16, 21, 2.5, {150, 30, 30, 255}); img.Line(16, 21, 24, 14, 2.5, {150, 30, 30, 255});
      break;
    case 2:  // take: an open hand
      img.FillRect(11, 14, 22, 25, kInk);
      for (int f = 0; f < 4; ++f) img.Line(12 + f * 3, 14, 12 + f * 3, 7, 2, kInk);
      img.Line(11, 18, 7, 14, 2, kInk);
      break;
    case 3:  // use: a pointing finger
      img.FillRect(10, 17, 21, 26, kInk);
      img.Line(13, 17, 13, 5, 2.5, kInk);
      break;
    case 4:  // the notebook
      img.FillRect(9, 7, 24, 26, kPaper);
      img.Outline(9, 7, 24, 26, 1, kInk);
      for (int y = 11; y < 24; y += 3) img.Line(11, y, 22, y, 1, {90, 110, 170, 255});
      break;
  }
  return img;
}

// Cursor pictures are drawn 16 pixels up and left of the pointer (all but the arrow).
Image Cursor(int k) {
  Image img(32, 32, {0, 0, 0, 0});
  Rgba c{255, 255, 255, 255}, edge{0, 0, 0, 255};
  auto arrowHead = [&](double x0, double y0, double x1, double y1) {
    img.Line(x0, y0, x1, y1, 5, edge); img.Line(x0, y0, x1, y1, 2.5, c);
    double a = std::atan2(y1 - y0, x1 - x0);
    for (double s : {-0.6, 0.6}) {
      double hx = x1 - 8 * std::cos(a + s), hy = y1 - 8 * std::sin(a + s);
      img.Line(x1, y1, hx, hy, 5, edge); img.Line(x1, y1, hx, hy, 2.5, c);
    }
  };
  switch (k) {
    case 0:
      for (int y = 0; y < 20; ++y)
        for (int x = 0; x <= y / 2 + (y > 14 ? 0 : 0); ++x) img.Set(x, y, (x == 0 || x == y / 2 || y == 19) ? edge : c);
      img.Line(4, 14, 9, 22, 3, edge); img.Line(4, 14, 9, 22, 1.5, c);
      break;
    case 1: arrowHead(26, 16, 6, 16); break;
    case 2: arrowHead(6, 16, 26, 16); break;
    case 3: arrowHead(16, 26, 16, 6); break;
    case 4: arrowHead(16, 6, 16, 26); break;
    default: {
      Image icon = Icon(k == 5 ? 2 : (k == 6 ? 0 : (k == 7 ? 1 : 3)), false);
      for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
          Rgba p = icon.Get(x, y);
          if (p.a > 0) img.Set(x, y, {p.r, p.g, p.b, 255});
        }
    }
  }
  return img;
}

// BMP cursors have no alpha: black marks the empty part.
Image Opaque(const Image& img) {
  Image out(img.width(), img.height(), {0, 0, 0, 255});
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) {
      Rgba p = img.Get(x, y);
      if (p.a > 0) out.Set(x, y, Mix({0, 0, 0, 255}, {p.r, p.g, p.b, 255}, p.a / 255.0));
    }
  return out;
}

Image ToolIcon(int tool) {
  Image img(64, 64, {0, 0, 0, 0});
  switch (tool) {
    case 62:  // the access card
      img.FillRect(8, 16, 56, 48, {230, 230, 240, 255});
      img.FillRect(8, 22, 56, 28, {40, 40, 60, 255});
      img.FillRect(14, 34, 26, 42, {220, 180, 60, 255});
      break;
    case 742:  // the notebook
      img.FillRect(12, 8, 52, 58, {40, 60, 110, 255});
      img.FillRect(16, 12, 50, 54, kPaper);
      for (int y = 18; y < 52; y += 6) img.Line(19, y, 46, y, 1, {90, 110, 170, 255});
      break;
    case 47:  // the lantern, dim
    case 39:  // the lantern with new batteries, shining
      if (tool == 39)
        for (int k = 0; k < 8; ++k) {
          double a = k * kPi / 4;
          img.Line(32 + 12 * std::cos(a), 36 + 12 * std::sin(a), 32 + 26 * std::cos(a), 36 + 26 * std::sin(a), 2,
                   {255, 235, 120, 220});
        }
      img.FillRect(24, 20, 40, 52, {200, 170, 80, 255});
      img.FillCircle(32, 36, 6, tool == 39 ? Rgba{255, 255, 230, 255} : Rgba{150, 130, 80, 255});
      img.Ring(32, 16, 7, 2, {90, 90, 90, 255});
      break;
    case 61:  // two batteries
      for (int x : {18, 36}) {
        img.FillRect(x, 18, x + 12, 50, {40, 70, 170, 255});
        img.FillRect(x, 18, x + 12, 24, {200, 200, 205, 255});
        img.FillRect(x + 4, 14, x + 8, 18, {200, 200, 205, 255});
        img.Line(x + 6, 30, x + 6, 40, 1.5, {255, 255, 255, 255});
        img.Line(x + 2, 35, x + 10, 35, 1.5, {255, 255, 255, 255});
      }
      break;
    case 181:  // the radio, its wire loose
    case 188:  // the radio, working
      img.FillRect(10, 20, 54, 50, {110, 70, 40, 255});
      img.Outline(10, 20, 54, 50, 2, {60, 36, 20, 255});
      img.FillCircle(22, 35, 8, {40, 30, 20, 255});
      img.FillRect(34, 28, 50, 36, {230, 210, 150, 255});
      img.Line(46, 20, 54, 6, 1.5, {90, 90, 90, 255});
      if (tool == 181) {
        img.Line(50, 44, 58, 54, 2, {200, 40, 30, 255});
        img.Line(58, 54, 62, 50, 2, {200, 40, 30, 255});
      } else {
        for (int r : {6, 11}) img.Ring(22, 35, 8 + r, 1.5, {255, 255, 255, 160});
      }
      break;
    case 212:  // the wet towel
    case 197:  // the dry towel
      for (int y = 16; y < 48; ++y) {
        Rgba c = ((y / 4) % 2) ? Rgba{180, 56, 50, 255} : Rgba{225, 210, 190, 255};
        if (tool == 212) c = Mix(c, {40, 60, 120, 255}, 0.35);
        img.FillRect(12, y, 52, y + 1, c);
      }
      img.Outline(12, 16, 52, 48, 1, {80, 40, 30, 255});
      if (tool == 212)
        for (int x : {20, 32, 44}) img.FillCircle(x, 54 + (x % 3), 2.5, {120, 170, 255, 255});
      break;
    default: {
      img.FillCircle(32, 32, 22, {uint8_t(120 + tool % 7 * 15), uint8_t(100 + tool % 5 * 20), uint8_t(90 + tool % 3 * 40), 255});
      SansBoldFont().Draw(img, 32, 39, std::to_string(tool), 16, {255, 255, 255, 255}, 1);
    }
  }
  return img;
}

Image Lantern(double radius) {
  Image img(256, 256, {0, 0, 0, 255});
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      double d = std::hypot(x + 0.5 - 128, y + 0.5 - 128) / radius;
      double v = std::clamp(1.0 - d * d, 0.0, 1.0);
      uint8_t g = uint8_t(std::lround(255 * v));
      img.Set(x, y, {g, uint8_t(g * 0.95), uint8_t(g * 0.8), 255});
    }
  return img;
}

// ---- The main menu and its panels. ----
//
// The menu draws a button's picture only while the button is lit (under the pointer, or
// an option that is on). So every button is drawn at rest into the picture under it (the
// menu picture or a panel), and its lit picture is the same part of that picture with the
// button drawn lit. Faces are drawn inside the rectangles the engine's menu takes clicks
// in (exclusive edges), so that what looks like a button is a button.

struct Rect {
  int x0, y0, x1, y1;  // exclusive right and bottom
  int Width() const { return x1 - x0; }
  int Height() const { return y1 - y0; }
};

const Rgba kFaceRest{90, 62, 36, 255}, kFaceLit{186, 128, 56, 255}, kCaption{236, 200, 120, 255},
    kCaptionLit{255, 244, 210, 255}, kLabel{226, 206, 160, 255}, kHint{180, 160, 120, 255};

// A text size at most `size` whose widest line fits `width` pixels.
int FittingSize(const std::vector<std::string>& lines, int width, int size) {
  for (; size > 9; --size) {
    int widest = 0;
    for (const std::string& l : lines) widest = std::max(widest, SansBoldFont().Measure(l, size));
    if (widest <= width) break;
  }
  return size;
}

// A bevelled face with its caption centred; `vertical` stacks the caption's letters.
void Face(Image& img, Rect r, const std::string& caption, int size, bool lit, bool vertical = false) {
  img.Bevel(r.x0, r.y0, r.x1, r.y1, lit ? kFaceLit : kFaceRest, false);
  img.Outline(r.x0 + 3, r.y0 + 3, r.x1 - 3, r.y1 - 3, 1, lit ? kGold : Rgba{150, 120, 80, 255});
  const Rgba ink = lit ? kCaptionLit : kCaption;
  const int cx = (r.x0 + r.x1) / 2;
  if (!vertical) {
    SansBoldFont().Draw(img, cx, (r.y0 + r.y1) / 2 + size * 36 / 100, caption, size, ink, 1);
    return;
  }
  const std::u32string letters = Utf8To32(caption);
  const int n = int(letters.size());
  const int step = std::min(size + 3, (r.Height() - 12) / std::max(n, 1));
  const int top = (r.y0 + r.y1) / 2 - step * n / 2;
  for (int i = 0; i < n; ++i) {
    std::string letter;
    char32_t c = letters[i];
    // UTF-8 of one Cyrillic or Latin letter.
    if (c < 0x80) letter = char(c);
    else letter = {char(0xC0 | (c >> 6)), char(0x80 | (c & 0x3F))};
    SansBoldFont().Draw(img, cx, top + step * i + step * 80 / 100, letter, size, ink, 1);
  }
}

// An empty check box at rest; lit, it carries a tick.
void CheckBox(Image& img, Rect r, bool ticked) {
  img.Bevel(r.x0 + 2, r.y0 + 2, r.x1 - 2, r.y1 - 2, {40, 28, 18, 255}, true);
  img.Outline(r.x0 + 2, r.y0 + 2, r.x1 - 2, r.y1 - 2, 1, {150, 120, 80, 255});
  if (!ticked) return;
  const double w = r.Width(), h = r.Height();
  img.Line(r.x0 + w * 0.25, r.y0 + h * 0.52, r.x0 + w * 0.43, r.y0 + h * 0.72, 3, kCaptionLit);
  img.Line(r.x0 + w * 0.43, r.y0 + h * 0.72, r.x0 + w * 0.78, r.y0 + h * 0.28, 3, kCaptionLit);
}

// A small face with a triangle pointing left (-1) or right (+1).
void ArrowFace(Image& img, Rect r, int direction, bool lit) {
  img.Bevel(r.x0, r.y0, r.x1, r.y1, lit ? kFaceLit : kFaceRest, false);
  const double cx = (r.x0 + r.x1) / 2.0, cy = (r.y0 + r.y1) / 2.0, s = r.Height() * 0.28;
  const Rgba ink = lit ? kCaptionLit : kCaption;
  for (double t = -s; t <= s; t += 0.5)
    img.Line(cx + direction * s * 0.8, cy, cx - direction * s * 0.8, cy + t, 1.2, ink);
}

// The picture drawn over `atRest` while a button is lit: its part `r`, lit by `draw`.
template <typename Draw>
Image Lit(const Image& atRest, Rect r, Draw draw) {
  Image lit = atRest;
  draw(lit);
  return lit.Crop(r.x0, r.y0, r.Width(), r.Height());
}

// The menu's buttons: tool, picture file, picture rectangle, face (inside the rectangle
// the engine takes clicks in), caption.
struct MenuButton {
  const char* file;
  Rect picture, face;
  const char* caption;
  int size;
  bool vertical;
};
const MenuButton kMainButtons[] = {
    {"gfx/start.bmp", {261, 130, 481, 190}, {271, 130, 477, 188}, "НОВАЯ ИГРА", 20, false},
    {"gfx/load.bmp", {229, 195, 279, 353}, {234, 199, 276, 350}, "ЗАГРУЗИТЬ", 15, true},
    {"gfx/save.bmp", {432, 193, 502, 363}, {450, 200, 498, 359}, "СОХРАНИТЬ", 16, true},
    {"gfx/options.bmp", {286, 173, 436, 278}, {301, 203, 432, 275}, "НАСТРОЙКИ", 16, false},
    {"gfx/credits.bmp", {272, 277, 417, 365}, {298, 280, 411, 362}, "АВТОРЫ", 17, false},
    {"gfx/exit.bmp", {240, 331, 460, 431}, {254, 375, 455, 427}, "ВЫХОД", 22, false},
};

// The panels share their size, frame, OK and cancel ("Назад") buttons.
constexpr Rect kPanel{229, 121, 569, 401};
constexpr Rect kOkPicture{229, 195, 289, 255}, kOkFace{233, 222, 287, 254};
constexpr Rect kCancelPicture{432, 193, 492, 253}, kCancelFace{442, 195, 491, 227};
// The options: the switches (their pictures are their click rectangles), the sliders'
// click rectangles and the animation slots that show their values.
constexpr Rect kShadows{407, 210, 431, 234}, kSubtitles{403, 266, 427, 290};
struct SliderPlace {
  const char* sequence;
  Rect hit, slot;
  const char* label;
  double firstX, step;  // knob centre of frame 0, pixels a frame
};
const SliderPlace kSliders[] = {
    {"gfx/gamma/000.Tif", {375, 237, 435, 257}, {367, 239, 435, 259}, "Яркость", 378.0, 6.0},
    {"gfx/sound/000.Tif", {365, 298, 425, 317}, {359, 298, 431, 318}, "Звук", 368.0, 6.25},
    {"gfx/musuc/000.Tif", {360, 328, 420, 350}, {357, 326, 429, 350}, "Музыка", 363.0, 6.25},
};
// The save and load panels: the thumbnail's corners, the name's place, the arrows.
constexpr double kThumbnail[4][2] = {{304, 135}, {447, 127}, {436, 242}, {292, 243}};
constexpr Rect kNameField{338, 253, 456, 279};
constexpr Rect kPreviousPicture{311, 350, 341, 376}, kNextPicture{354, 353, 384, 379};

void DrawPanelBase(Image& img) {
  const Rect p = kPanel;
  img.VerticalGradient(p.x0, p.y0, p.x1, p.y1, {70, 50, 32, 255}, {40, 28, 18, 255});
  img.Outline(p.x0, p.y0, p.x1, p.y1, 3, kGold);
  Face(img, kOkFace, "OK", 17, false);
  Face(img, kCancelFace, Caption("Назад"), 12, false);
}

void Label(Image& img, int x, int baseline, const std::string& text, int size = 13, int align = 0) {
  SansBoldFont().Draw(img, x, baseline, text, size, kLabel, align);
}

// The options' labels stand in a column between OK and the controls.
constexpr int kLabelX = 295;

Image OptionsPanel() {
  Image img(800, 600, {0, 0, 0, 255});
  DrawPanelBase(img);
  SansBoldFont().Draw(img, (kPanel.x0 + kPanel.x1) / 2, 158, Caption("Настройки"), 20, kGold, 1);
  Label(img, kLabelX, 227, Caption("Тени"));
  CheckBox(img, kShadows, false);
  Label(img, kLabelX, 283, Caption("Субтитры"));
  CheckBox(img, kSubtitles, false);
  for (const SliderPlace& s : kSliders) {
    const Rect& h = s.hit;
    const int cy = (h.y0 + h.y1) / 2;
    Label(img, kLabelX, cy + 5, Caption(s.label));
    // The groove runs over the pixels that take clicks, and no further.
    img.FillRect(h.x0 + 1, cy - 3, h.x1, cy + 3, {24, 16, 10, 255});
    img.Outline(h.x0 + 1, cy - 3, h.x1, cy + 3, 1, {150, 120, 80, 255});
  }
  return img;
}

Image SavePanel(bool save) {
  Image img(800, 600, {0, 0, 0, 255});
  DrawPanelBase(img);
  // The thumbnail's frame: the picture of a save is drawn into it, tilted as it is.
  auto inside = [](double x, double y, double grow) {
    for (int i = 0; i < 4; ++i) {
      const double* a = kThumbnail[i];
      const double* b = kThumbnail[(i + 1) % 4];
      const double ex = b[0] - a[0], ey = b[1] - a[1], len = std::hypot(ex, ey);
      if ((ex * (y - a[1]) - ey * (x - a[0])) / len < -grow) return false;
    }
    return true;
  };
  for (int y = kPanel.y0; y < kPanel.y1; ++y)
    for (int x = kPanel.x0; x < kPanel.x1; ++x) {
      if (inside(x + 0.5, y + 0.5, 0)) img.Set(x, y, {22, 16, 10, 255});
      else if (inside(x + 0.5, y + 0.5, 3)) img.Set(x, y, kGold);
    }
  SansFont().Draw(img, 370, 190, Caption("нет картинки"), 12, kHint, 1);
  // The title, right of the thumbnail.
  const std::vector<std::string> title = {Caption(save ? "Сохранить" : "Загрузить"), Caption("игру")};
  const int size = FittingSize(title, kPanel.x1 - 455, 20);
  for (int i = 0; i < 2; ++i) SansBoldFont().Draw(img, 508, 152 + i * (size + 4), title[i], size, kGold, 1);
  // The save's name goes into the field; the arrows step through the saves.
  Label(img, kNameField.x0 - 6, 271, Caption(save ? "Имя" : "Запись"), 14, 2);
  img.Bevel(kNameField.x0, kNameField.y0, kNameField.x1, kNameField.y1, {28, 20, 12, 255}, true);
  SansFont().Draw(img, 399, 304, Caption(save ? "Наберите имя и нажмите OK" : "Выберите запись и нажмите OK"), 13,
                  kHint, 1);
  ArrowFace(img, {kPreviousPicture.x0 + 1, kPreviousPicture.y0 + 1, kPreviousPicture.x1 - 1, kPreviousPicture.y1 - 1},
            -1, false);
  ArrowFace(img, {kNextPicture.x0 + 1, kNextPicture.y0 + 1, kNextPicture.x1 - 1, kNextPicture.y1 - 1}, 1, false);
  SansFont().Draw(img, 348, 393, Caption("другие записи"), 12, kHint, 1);
  return img;
}

void Add(Output& out, const char* file, const Image& img) { out.Add(pictureFolder + file, EncodeBmp24(img)); }
Image Cut(const Image& img, Rect r) { return img.Crop(r.x0, r.y0, r.Width(), r.Height()); }

void Menu(Output& out) {
  // The menu picture: black is transparent, so the frozen game shows around the cabinet.
  Image main(800, 600, {0, 0, 0, 255});
  main.VerticalGradient(200, 40, 600, 520, {96, 64, 38, 255}, {54, 34, 20, 255});
  main.Outline(200, 40, 600, 520, 4, kGold);
  main.FillRect(330, 60, 470, 125, {20, 16, 12, 255});
  SansBoldFont().Draw(main, 400, 30, Caption("ТАРВЕКС"), 26, kGold, 1);
  for (const MenuButton& b : kMainButtons) Face(main, b.face, Caption(b.caption), b.size, false, b.vertical);
  for (const MenuButton& b : kMainButtons)
    Add(out, b.file, Lit(main, b.picture, [&](Image& i) { Face(i, b.face, Caption(b.caption), b.size, true, b.vertical); }));
  out.Add(pictureFolder + "gfx/main.tif", EncodeTiffRgb(main));

  const Image options = OptionsPanel(), save = SavePanel(true), load = SavePanel(false);
  Add(out, "gfx/opt.bmp", Cut(options, kPanel));
  Add(out, "gfx/savem.bmp", Cut(save, kPanel));
  Add(out, "gfx/loadm.bmp", Cut(load, kPanel));
  // OK stands alike in every panel; cancel ("cancel.bmp" in the options, "cancel1.bmp" over
  // the thumbnail's frame in the save and load panels) and the arrows stand alike in the
  // save and load panels.
  Image base(800, 600, {0, 0, 0, 255});
  DrawPanelBase(base);
  Add(out, "gfx/ok.bmp", Lit(base, kOkPicture, [](Image& i) { Face(i, kOkFace, "OK", 17, true); }));
  auto litCancel = [](Image& i) { Face(i, kCancelFace, Caption("Назад"), 12, true); };
  Add(out, "gfx/cancel.bmp", Lit(options, kCancelPicture, litCancel));
  Add(out, "gfx/cancel1.bmp", Lit(save, kCancelPicture, litCancel));
  Add(out, "gfx/shadows.bmp", Lit(options, kShadows, [](Image& i) { CheckBox(i, kShadows, true); }));
  Add(out, "gfx/subtitles.bmp", Lit(options, kSubtitles, [](Image& i) { CheckBox(i, kSubtitles, true); }));
  auto arrow = [&](Rect r, int direction) {
    return Lit(save, r, [&](Image& i) { ArrowFace(i, {r.x0 + 1, r.y0 + 1, r.x1 - 1, r.y1 - 1}, direction, true); });
  };
  Add(out, "gfx/left.bmp", arrow(kPreviousPicture, -1));
  Add(out, "gfx/right.bmp", arrow(kNextPicture, 1));
  // The rest has no caption: the game's pictures serve every language.
  if (drawingEnglish) return;
  // The sliders' frames: the groove as the panel shows it, the knob at the frame's value.
  for (const SliderPlace& s : kSliders)
    for (int f = 0; f < 10; ++f) {
      Image frame = Cut(options, s.slot);
      const int x = std::clamp(int(std::lround(s.firstX + s.step * f)), s.hit.x0 + 4, s.hit.x1 - 4) - s.slot.x0;
      const int cy = (s.hit.y0 + s.hit.y1) / 2 - s.slot.y0;
      frame.Bevel(x - 4, cy - 8, x + 4, cy + 8, kGold, false);
      AddFrame(out, s.sequence, f, frame);
    }
  // The clock (wrapping, 12 frames) and the pendulum swing (one stroke).
  for (int f = 0; f < 12; ++f) {
    Image c(114, 56, {20, 16, 12, 255});
    c.FillCircle(57, 28, 25, {230, 220, 190, 255});
    c.Ring(57, 28, 25, 2, kGold);
    double a = 2 * kPi * f / 12;
    c.Line(57, 28, 57 + 19 * std::sin(a), 28 - 19 * std::cos(a), 2, kInk);
    c.Line(57, 28, 57 + 12 * std::sin(a / 12 + 1), 28 - 12 * std::cos(a / 12 + 1), 3, kInk);
    AddFrame(out, "animgfx/menu/clockno000.tif", f, c);
  }
  for (int f = 0; f < 10; ++f) {
    Image p = main.Crop(257, 444, 286, 60);
    double a = 0.5 * std::cos(kPi * f / 9);
    p.Line(143, 0, 143 + 50 * std::sin(a), 50 * std::cos(a), 2, kGold);
    p.FillCircle(143 + 50 * std::sin(a), 50 * std::cos(a), 7, kGold);
    AddFrame(out, "animgfx/menu/pl10000.tif", f, p);
  }
}

}  // namespace

void BuildEnglishMenu(Output& out, const std::string& folder) {
  drawingEnglish = true;
  pictureFolder = folder;
  Menu(out);
  drawingEnglish = false;
  pictureFolder.clear();
}

void BuildInterface(Output& out) {
  const char* verbs[4] = {"textures/signs/sight000.tga", "textures/signs/mouth000.tga", "textures/signs/hand000.tga",
                          "textures/signs/fing000.tga"};
  for (int v = 0; v < 4; ++v)
    for (int f = 0; f < 2; ++f) AddTextureFrame(out, verbs[v], f, Icon(v, f == 1));
  for (int f = 0; f < 2; ++f) AddTextureFrame(out, "textures/signs/notes000.tga", f, Icon(4, f == 1));

  AddTextureFrame(out, "textures/arrow/arr000.tga", 0, Cursor(0));
  const char* cursors[8] = {"textures/left/left000.bmp", "textures/right/right000.bmp", "textures/up/up000.bmp",
                            "textures/down/down000.bmp", "textures/take/take000.bmp", "textures/look/look000.bmp",
                            "textures/talk/rot000.bmp",  "textures/use/push000.bmp"};
  for (int k = 1; k <= 8; ++k) {
    Image c = Cursor(k);
    // The named BMP, and the TGA with alpha that a texture sequence probes for.
    out.Add(cursors[k - 1], EncodeBmp24(Opaque(c)), true);
    AddTextureFrame(out, cursors[k - 1], 0, c);
  }

  for (int piece = 0; piece < 4; ++piece) {
    int w = piece < 3 ? 256 : 32;
    Image t(w, 256, {0, 0, 0, 0});
    for (int y = 0; y < 256; ++y) {
      Rgba c = Mix({110, 78, 46, 235}, {60, 40, 22, 235}, y / 255.0);
      for (int x = 0; x < w; ++x) t.Set(x, y, c);
    }
    t.FillRect(0, 0, w, 4, kGold);
    for (int x = -(piece * 256) % 65 + 75 - 65; x < w; x += 65)
      if (x >= 0) t.FillRect(x, 117, x + 1, 247, {150, 120, 80, 200});
    char name[64];
    std::snprintf(name, sizeof name, "textures/toolbar/t%d000.tga", piece + 1);
    AddTextureFrame(out, name, 0, t);
  }
  // The hovered cell's highlight is drawn without blending: an opaque, lighter cell.
  Image pod(65, 65, {0, 0, 0, 255});
  for (int y = 0; y < 65; ++y) {
    Rgba c = Mix({150, 112, 70, 255}, {112, 80, 48, 255}, y / 64.0);
    for (int x = 0; x < 65; ++x) pod.Set(x, y, c);
  }
  pod.Outline(0, 0, 65, 65, 2, {255, 230, 140, 255});
  AddTextureFrame(out, "textures/toolbar/pod000.tga", 0, pod);
  Image ic(110, 110, {0, 0, 0, 0});
  ic.FillCircle(55, 55, 52, {70, 50, 30, 200});
  ic.Ring(55, 55, 52, 3, kGold);
  AddTextureFrame(out, "textures/toolbar/ic000.tga", 0, ic);

  for (int tool : {39, 47, 61, 62, 181, 188, 197, 212, 742}) {
    char name[64];
    std::snprintf(name, sizeof name, "textures/tools/tool%3.3d.tga", tool);
    out.Add(name, EncodeTga32(ToolIcon(tool)), true);
  }
  out.Add("textures/fonar.bmp", EncodeBmp24(Lantern(128)), true);
  out.Add("textures/fonar1.bmp", EncodeBmp24(Lantern(90)), true);
  Menu(out);
}

}  // namespace tarvex::demo
