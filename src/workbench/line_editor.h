// The console's prompt: a line of UTF-8 text with a cursor that moves, inserts and deletes
// by whole characters, and the history of the lines entered.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

namespace tarvex {

class LineEditor {
public:
    const std::string& Text() const { return text_; }
    size_t Cursor() const { return cursor_; }  // a byte offset at a character's start
    void Set(const std::string& text);         // the cursor goes to the end
    void Insert(char32_t c);
    void InsertText(const std::string& utf8);
    void Left();
    void Right();
    void Home() { cursor_ = 0; }
    void End() { cursor_ = text_.size(); }
    void Backspace();
    void Delete();

private:
    std::string text_;
    size_t cursor_ = 0;
};

// Lines entered, oldest first, at most `capacity`; Up and Down walk them from the newest,
// and the line being typed comes back past the newest.
class LineHistory {
public:
    explicit LineHistory(size_t capacity) : capacity_(capacity) {}
    const std::vector<std::string>& Lines() const { return lines_; }
    void Set(std::vector<std::string> lines);
    // A line entered: kept unless empty or the same as the newest; the walk starts anew.
    void Add(const std::string& line);
    // The older or newer line for the editor (which holds `typed` now); false at the end.
    bool Older(const std::string& typed, std::string& line);
    bool Newer(std::string& line);

private:
    size_t capacity_;
    std::vector<std::string> lines_;
    size_t at_ = 0;  // lines_.size() while not walking
    std::string typed_;
};

// The longest common start of the names (whole UTF-8 characters are not split: names are ASCII).
std::string CommonPrefix(const std::vector<std::string>& names);

}  // namespace tarvex
