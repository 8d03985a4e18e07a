// Interface pictures: verb icons, the nine cursors, the toolbar pieces, tool icons,
// the lantern textures, and the main menu with its buttons, panels, sliders, clock
// and pendulum.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "demo_math.h"
#include "fonts.h"
#include "interface_art.h"
#include "sequences.h"

namespace tarvex::demo {

namespace {

const Rgba kInk{30, 24, 18, 255}, kGold{236, 196, 96, 255}, kPaper{240, 230, 200, 255};

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

Image Button(int w, int h, const std::string& label, bool lit, int size) {
  Image img(w, h, {0, 0, 0, 255});
  Rgba face = lit ? Rgba{180, 120, 50, 255} : Rgba{90, 62, 36, 255};
  img.Bevel(0, 0, w, h, face, false);
  img.Outline(3, 3, w - 3, h - 3, 1, lit ? kGold : Rgba{150, 120, 80, 255});
  SansBoldFont().Draw(img, w / 2, h / 2 + size / 3, label, size, lit ? Rgba{255, 240, 200, 255} : kGold, 1);
  return img;
}

Image Slider(int w, int h, int frame, int frames) {
  Image img(w, h, {0, 0, 0, 255});
  img.FillRect(4, h / 2 - 2, w - 4, h / 2 + 2, {120, 100, 70, 255});
  double x = 6 + (w - 12) * double(frame) / (frames - 1);
  img.FillRect(int(x) - 4, 2, int(x) + 4, h - 2, kGold);
  return img;
}

Image Panel(int w, int h, const std::string& title) {
  Image img(w, h, {0, 0, 0, 255});
  img.VerticalGradient(0, 0, w, h, {70, 50, 32, 255}, {40, 28, 18, 255});
  img.Outline(0, 0, w, h, 3, kGold);
  SansBoldFont().Draw(img, w / 2, 28, title, 20, kGold, 1);
  return img;
}

void Menu(Output& out) {
  // The menu picture: black is transparent, so the frozen game shows around the cabinet.
  Image main(800, 600, {0, 0, 0, 255});
  main.VerticalGradient(200, 40, 600, 520, {96, 64, 38, 255}, {54, 34, 20, 255});
  main.Outline(200, 40, 600, 520, 4, kGold);
  main.FillRect(330, 60, 470, 125, {20, 16, 12, 255});
  SansBoldFont().Draw(main, 400, 30, "ТАРВЕКС", 26, kGold, 1);
  struct B {
    int tool, x, y, w, h;
    const char* file;
    const char* label;
    int size;
  };
  const B buttons[] = {{1010, 261, 130, 220, 60, "gfx/start.bmp", "НОВАЯ ИГРА", 20},
                       {1011, 229, 195, 50, 158, "gfx/load.bmp", "З", 24},
                       {1012, 432, 193, 70, 170, "gfx/save.bmp", "С", 24},
                       {1014, 286, 173, 150, 105, "gfx/options.bmp", "НАСТРОЙКИ", 15},
                       {1015, 272, 277, 145, 88, "gfx/credits.bmp", "АВТОРЫ", 16},
                       {1013, 240, 331, 220, 100, "gfx/exit.bmp", "ВЫХОД", 22}};
  for (const B& b : buttons) {
    main.Paste(Button(b.w, b.h, b.label, false, b.size), b.x, b.y);
    out.Add(b.file, EncodeBmp24(Button(b.w, b.h, b.label, true, b.size)));
  }
  out.Add("gfx/main.tif", EncodeTiffRgb(main));

  out.Add("gfx/opt.bmp", EncodeBmp24(Panel(320, 280, "Настройки")));
  out.Add("gfx/savem.bmp", EncodeBmp24(Panel(320, 280, "Сохранить игру")));
  out.Add("gfx/loadm.bmp", EncodeBmp24(Panel(320, 280, "Загрузить игру")));
  out.Add("gfx/ok.bmp", EncodeBmp24(Button(60, 60, "OK", true, 18)));
  out.Add("gfx/cancel.bmp", EncodeBmp24(Button(60, 60, "X", true, 22)));
  out.Add("gfx/cancel1.bmp", EncodeBmp24(Button(60, 60, "X", true, 22)));
  out.Add("gfx/shadows.bmp", EncodeBmp24(Button(40, 26, "✓", true, 16)));
  out.Add("gfx/subtitles.bmp", EncodeBmp24(Button(40, 26, "✓", true, 16)));
  out.Add("gfx/right.bmp", EncodeBmp24(Button(30, 25, ">", true, 16)));
  out.Add("gfx/left.bmp", EncodeBmp24(Button(30, 25, "<", true, 16)));
  for (int f = 0; f < 10; ++f) {
    AddFrame(out, "gfx/sound/000.Tif", f, Slider(72, 20, f, 10));
    AddFrame(out, "gfx/musuc/000.Tif", f, Slider(72, 24, f, 10));
    AddFrame(out, "gfx/gamma/000.Tif", f, Slider(68, 20, f, 10));
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
    Image p(286, 60, {54, 34, 20, 255});
    double a = 0.5 * std::cos(kPi * f / 9);
    p.Line(143, 0, 143 + 50 * std::sin(a), 50 * std::cos(a), 2, kGold);
    p.FillCircle(143 + 50 * std::sin(a), 50 * std::cos(a), 7, kGold);
    AddFrame(out, "animgfx/menu/pl10000.tif", f, p);
  }
}

}  // namespace

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
