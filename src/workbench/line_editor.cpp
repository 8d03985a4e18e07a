#include "workbench/line_editor.h"

#include <algorithm>

namespace tarvex {

namespace {

bool Continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

}  // namespace

void LineEditor::Set(const std::string& text) {
    text_ = text;
    cursor_ = text_.size();
}

void LineEditor::Insert(char32_t c) {
    // Control characters and what UTF-8 cannot carry are not typed.
    if (c < 0x20 || c == 0x7F || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return;
    std::string bytes;
    if (c < 0x80) {
        bytes += static_cast<char>(c);
    } else if (c < 0x800) {
        bytes += static_cast<char>(0xC0 | (c >> 6));
        bytes += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        bytes += static_cast<char>(0xE0 | (c >> 12));
        bytes += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        bytes += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        bytes += static_cast<char>(0xF0 | (c >> 18));
        bytes += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        bytes += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        bytes += static_cast<char>(0x80 | (c & 0x3F));
    }
    InsertText(bytes);
}

void LineEditor::InsertText(const std::string& utf8) {
    text_.insert(cursor_, utf8);
    cursor_ += utf8.size();
}

void LineEditor::Left() {
    while (cursor_ > 0 && Continuation(text_[--cursor_])) {
    }
}

void LineEditor::Right() {
    if (cursor_ < text_.size()) ++cursor_;
    while (cursor_ < text_.size() && Continuation(text_[cursor_])) ++cursor_;
}

void LineEditor::Backspace() {
    const size_t end = cursor_;
    Left();
    text_.erase(cursor_, end - cursor_);
}

void LineEditor::Delete() {
    const size_t start = cursor_;
    Right();
    text_.erase(start, cursor_ - start);
    cursor_ = start;
}

void LineHistory::Set(std::vector<std::string> lines) {
    if (lines.size() > capacity_) lines.erase(lines.begin(), lines.end() - static_cast<std::ptrdiff_t>(capacity_));
    lines_ = std::move(lines);
    at_ = lines_.size();
}

void LineHistory::Add(const std::string& line) {
    if (!line.empty() && (lines_.empty() || lines_.back() != line)) {
        lines_.push_back(line);
        if (lines_.size() > capacity_) lines_.erase(lines_.begin());
    }
    at_ = lines_.size();
}

bool LineHistory::Older(const std::string& typed, std::string& line) {
    if (at_ == 0) return false;
    if (at_ == lines_.size()) typed_ = typed;
    line = lines_[--at_];
    return true;
}

bool LineHistory::Newer(std::string& line) {
    if (at_ >= lines_.size()) return false;
    ++at_;
    line = at_ == lines_.size() ? typed_ : lines_[at_];
    return true;
}

std::string CommonPrefix(const std::vector<std::string>& names) {
    if (names.empty()) return "";
    std::string prefix = names.front();
    for (const std::string& n : names) {
        size_t i = 0;
        while (i < prefix.size() && i < n.size() && prefix[i] == n[i]) ++i;
        prefix.resize(i);
    }
    return prefix;
}

}  // namespace tarvex
