#include "workbench/console.h"

#include <algorithm>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>

#include "base/config.h"
#include "base/globals.h"
#include "base/json_writer.h"
#include "base/mouse.h"
#include "base/owner_names.h"
#include "base/registry.h"
#include "interaction/game_state.h"
#include "menu/menu_panels.h"
#include "platform/atomic_file.h"
#include "platform/display.h"
#include "platform/font.h"
#include "scripts/console_lines.h"
#include "text/fonts.h"
#include "workbench/console_commands.h"
#include "workbench/line_editor.h"

namespace tarvex {

namespace {

constexpr size_t kScrollbackLines = 1000;
constexpr size_t kLineBytes = 1024;             // a scrollback or history line, at most
constexpr uintmax_t kHistoryFileLimit = 1u << 20;  // a larger history file is not read
constexpr int kPanelTop = 340;                  // the panel covers the picture below
constexpr int kMargin = 6;
constexpr int kDumpLines = 20;
constexpr size_t kShownCompletions = 60;

// The console's whole state: one owner struct.
struct ConsoleTables {
    bool open = false;
    bool paused = false;
    std::deque<std::string> lines;  // the scrollback, oldest first
    size_t scroll = 0;              // lines scrolled back from the newest
    LineEditor prompt;
    LineHistory history{kConsoleHistoryLines};
    bool historyRead = false;
};
ConsoleTables console;

std::string HistoryPath() { return (std::filesystem::path(SavesDirectory()) / kConsoleHistoryFile).string(); }

// The history file: one line each, the newest last; a file too large, not regular or
// unreadable leaves the history empty.
void ReadHistory() {
    console.historyRead = true;
    const std::string path = HistoryPath();
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec) || std::filesystem::file_size(path, ec) > kHistoryFileLimit || ec)
        return;
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line.size() > kLineBytes) continue;
        lines.push_back(line);
    }
    console.history.Set(std::move(lines));
}

void WriteHistory() {
    std::string text;
    for (const std::string& line : console.history.Lines()) text += line + "\n";
    std::error_code ec;
    std::filesystem::create_directories(SavesDirectory(), ec);
    if (!WriteFileAtomically(HistoryPath(), text.data(), text.size()))
        std::fprintf(stderr, "tarvex: cannot write %s\n", HistoryPath().c_str());
}

void AddLine(std::string line) {
    // Tabs (between the values a line returns, and in print's output) as spaces: the font
    // has no glyph for them.
    for (size_t tab = line.find('\t'); tab != std::string::npos; tab = line.find('\t', tab))
        line.replace(tab, 1, "    ");
    if (line.size() > kLineBytes) {
        // Cut at a character's first byte, never inside a UTF-8 sequence.
        size_t cut = kLineBytes;
        while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) --cut;
        line = line.substr(0, cut) + "...";
    }
    console.lines.push_back(std::move(line));
    if (console.lines.size() > kScrollbackLines) console.lines.pop_front();
    console.scroll = 0;
}

bool MayOpen() { return !loop.menuActive && loop.currentScene != -1 && loop.gameStarted && loop.playMode != 2; }

// Tab: the name before the cursor completed as far as the candidates agree; more than one
// candidate are listed.
void Complete() {
    const std::string& text = console.prompt.Text();
    size_t start = console.prompt.Cursor();
    while (start > 0) {
        const char c = text[start - 1];
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.')) break;
        --start;
    }
    const std::string word = text.substr(start, console.prompt.Cursor() - start);
    const std::vector<std::string> names = ConsoleCompletions(word);
    if (names.empty()) return;
    const std::string common = CommonPrefix(names);
    if (common.size() > word.size()) console.prompt.InsertText(common.substr(word.size()));
    if (names.size() > 1) {
        std::string list;
        for (size_t i = 0; i < names.size() && i < kShownCompletions; ++i) list += (i ? "  " : "") + names[i];
        if (names.size() > kShownCompletions) list += "  ...";
        AddLine(list);
    }
}

void Enter() {
    const std::string line = console.prompt.Text();
    console.prompt.Set("");
    console.history.Add(line);
    if (!line.empty()) WriteHistory();
    RunConsoleText(line, false);
}

int VisibleLines() {
    const int height = gameFonts.regularFont ? FontHeight(gameFonts.regularFont) + 2 : 18;
    return std::max(1, (kScreenHeight - kPanelTop - 2 * kMargin) / height - 1);
}

void Scroll(int lines) {
    const long most = std::max<long>(0, static_cast<long>(console.lines.size()) - VisibleLines());
    console.scroll = static_cast<size_t>(std::clamp<long>(static_cast<long>(console.scroll) + lines, 0, most));
}

void TakeKey(int key) {
    std::string line;
    switch (key) {
    case vk::Escape:
    case vk::Grave:
    case vk::F2: CloseConsole(); break;
    case vk::Return: Enter(); break;
    case vk::Back: console.prompt.Backspace(); break;
    case vk::Delete: console.prompt.Delete(); break;
    case vk::Left: console.prompt.Left(); break;
    case vk::Right: console.prompt.Right(); break;
    case vk::Home: console.prompt.Home(); break;
    case vk::End: console.prompt.End(); break;
    case vk::Up:
        if (console.history.Older(console.prompt.Text(), line)) console.prompt.Set(line);
        break;
    case vk::Down:
        if (console.history.Newer(line)) console.prompt.Set(line);
        break;
    case vk::PageUp: Scroll(VisibleLines() - 1); break;
    case vk::PageDown: Scroll(-(VisibleLines() - 1)); break;
    case vk::Tab: Complete(); break;
    default: break;
    }
}

void DumpConsole(JsonWriter& json, int) {
    json.Key("console").BeginObject().Key("open").Bool(console.open).Key("lines").BeginArray();
    for (const std::string& line : ConsoleLastLines(kDumpLines)) json.String(line);
    json.EndArray().EndObject();
}

void ResetConsole() {
    CloseConsole();
    console = ConsoleTables{};
    CloseConsoleState();
}

}  // namespace

const Owner& WorkbenchConsoleOwner() {
    static const Owner owner{owner_name::kConsole, ResetConsole, nullptr, nullptr, nullptr, nullptr, DumpConsole};
    return owner;
}

void StartWorkbench() { RegisterConsoleCommands(WorkbenchCommands()); }

bool ConsoleOpen() { return console.open; }

void OpenConsole() {
    if (console.open || !MayOpen()) return;
    if (!console.historyRead) ReadHistory();
    console.open = true;
    SetTextTyping(true);
}

void CloseConsole() {
    if (!console.open) return;
    SetConsolePaused(false);
    console.open = false;
    SetTextTyping(false);
    // A press made while the console was open stays its own.
    DropPendingClicks();
    pointer.LeftKey = 1;
}

bool ConsolePaused() { return console.paused; }

void SetConsolePaused(bool paused) {
    if (paused == console.paused || (paused && !console.open)) return;
    console.paused = paused;
    if (paused) {
        HoldScriptClock(true);
        PauseGameSounds();
    } else {
        ResumeGameSounds();
        HoldScriptClock(false);
    }
}

bool ConsoleTakesMessage(const Message& m) {
    if (console.open && loop.menuActive) CloseConsole();  // the game ended under it
    if (!console.open) {
        if (m.type == MessageType::KeyDown && (m.value == vk::Grave || m.value == vk::F2) && MayOpen()) {
            OpenConsole();
            return true;
        }
        return false;
    }
    switch (m.type) {
    case MessageType::KeyDown: TakeKey(m.value); return true;
    case MessageType::Text: console.prompt.Insert(static_cast<char32_t>(m.value)); return true;
    case MessageType::Char:
        // Typed in the frame that opened the console, before its typing took over.
        for (char32_t c : Utf8ToCodePoints(Cp1251ToUtf8(std::string(1, static_cast<char>(m.value)))))
            console.prompt.Insert(c);
        return true;
    default: return false;
    }
}

void ConsoleTakesMouse(MouseState& mouse) {
    if (!console.open) return;
    if (mouse.dz) Scroll(mouse.dz > 0 ? 3 : -3);
    mouse.dz = 0;
    mouse.buttons[0] = mouse.buttons[1] = 0;
}

void RunConsoleText(const std::string& line, bool echo) {
    AddLine("> " + line);
    std::vector<std::string> output;
    if (!line.empty()) RunConsoleLine(line, output);
    for (const std::string& text : output) AddLine(text);
    if (echo) {
        std::printf("> %s\n", line.c_str());
        for (const std::string& text : output) std::printf("%s\n", text.c_str());
        std::fflush(stdout);
    }
}

void ConsolePrint(const std::string& text) {
    size_t start = 0;
    for (;;) {
        const size_t end = text.find('\n', start);
        AddLine(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) return;
        start = end + 1;
    }
}

void ClearConsole() {
    console.lines.clear();
    console.scroll = 0;
}

std::vector<std::string> ConsoleLastLines(size_t count) {
    const size_t first = console.lines.size() > count ? console.lines.size() - count : 0;
    return std::vector<std::string>(console.lines.begin() + static_cast<std::ptrdiff_t>(first), console.lines.end());
}

void DrawConsole() {
    if (!console.open) return;
    DrawColourRect(0, kPanelTop, kScreenWidth, kScreenHeight, 0, 0, 0, 180);
    DrawColourRect(0, kPanelTop, kScreenWidth, kPanelTop + 1, 120, 120, 120, 255);
    Font* font = gameFonts.regularFont;
    if (!font) return;
    const int lineHeight = FontHeight(font) + 2;
    const int promptY = kScreenHeight - kMargin - lineHeight;
    // The scrollback, newest at the bottom above the prompt.
    const int visible = VisibleLines();
    const size_t end = console.lines.size() - std::min(console.scroll, console.lines.size());
    int y = promptY - lineHeight;
    for (size_t i = end; i > 0 && y >= kPanelTop + kMargin - 2 && static_cast<int>(end - i) < visible; --i, y -= lineHeight) {
        const std::string& line = console.lines[i - 1];
        const bool echo = line.rfind("> ", 0) == 0, error = line.rfind("error: ", 0) == 0;
        DrawText(font, kMargin, y, Utf8ToUtf16(line), error ? 255 : echo ? 240 : 210, error ? 120 : echo ? 220 : 210,
                 error ? 110 : echo ? 140 : 210);
    }
    if (console.paused) DrawText(font, kScreenWidth - 80, kPanelTop + kMargin, u"[pause]", 255, 200, 80);
    if (console.scroll) DrawText(font, kScreenWidth - 80, promptY - lineHeight, u"[" + Utf8ToUtf16(std::to_string(console.scroll)) + u"]", 160, 160, 160);
    // The prompt and its cursor.
    const std::u16string before = Utf8ToUtf16("> " + console.prompt.Text().substr(0, console.prompt.Cursor()));
    DrawText(font, kMargin, promptY, Utf8ToUtf16("> " + console.prompt.Text()), 255, 255, 255);
    const int x = kMargin + TextWidth(font, before);
    DrawColourRect(x, promptY + 1, x + 2, promptY + lineHeight - 1, 255, 255, 255, 220);
}

}  // namespace tarvex
