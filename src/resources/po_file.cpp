#include "resources/po_file.h"

#include <gettext-po.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cctype>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>

namespace tarvex {

namespace {

// The file being read: libgettextpo reports through plain function pointers.
struct ReadState {
    std::vector<PoProblem>* problems = nullptr;
    std::jmp_buf fatal;
};
thread_local ReadState* reading = nullptr;

constexpr size_t kProblemLimit = 100;

void AddProblem(size_t line, const char* text) {
    if (!reading || reading->problems->size() >= kProblemLimit) return;
    std::string message = text ? text : "";
    while (!message.empty() && message.back() == '\n') message.pop_back();
    if (line == static_cast<size_t>(-1)) line = 0;
    // The library counts the line end that cut a string short before it says so: the
    // string stands on the line before.
    if (message == "end-of-line within string" && line > 1) --line;
    reading->problems->push_back({line, message});
}

void OnError(int severity, po_message_t, const char*, size_t line, size_t, int, const char* text) {
    AddProblem(line, text);
    // A fatal error must not return into the library.
    if (severity == PO_SEVERITY_FATAL_ERROR && reading) std::longjmp(reading->fatal, 1);
}

void OnError2(int severity, po_message_t, const char*, size_t line1, size_t, int, const char* text1, po_message_t,
              const char*, size_t, size_t, int, const char*) {
    OnError(severity, nullptr, nullptr, line1, 0, 0, text1);
}

const po_xerror_handler kHandler = {OnError, OnError2};

std::string Text(const char* s) { return s ? s : ""; }

// The library reads files by name: the bytes go into an anonymous file of their own.
int MemoryFile(const uint8_t* data, size_t size) {
    const int fd = memfd_create("tarvex-po", MFD_CLOEXEC);
    if (fd < 0) return -1;
    size_t done = 0;
    while (done < size) {
        const ssize_t n = write(fd, data + done, size - done);
        if (n <= 0) {
            close(fd);
            return -1;
        }
        done += static_cast<size_t>(n);
    }
    return fd;
}

void TakeMessages(po_file_t file, PoFile& out) {
    po_message_iterator_t it = po_message_iterator(file, nullptr);
    while (po_message_t m = po_next_message(it)) {
        if (po_message_is_obsolete(m)) continue;
        const std::string original = Text(po_message_msgid(m));
        if (original.empty() && !po_message_msgctxt(m)) {
            out.header = Text(po_message_msgstr(m));
            continue;
        }
        if (po_message_msgid_plural(m)) continue;
        PoEntry e;
        e.context = Text(po_message_msgctxt(m));
        e.original = original;
        e.translation = Text(po_message_msgstr(m));
        e.fuzzy = po_message_is_fuzzy(m) != 0;
        e.comments = Text(po_message_extracted_comments(m));
        if (!IsUtf8(e.context) || !IsUtf8(e.original) || !IsUtf8(e.translation)) {
            out.problems.push_back({0, "an entry that is not UTF-8 (context \"" + (IsUtf8(e.context) ? e.context : "?") + "\")"});
            continue;
        }
        out.entries.push_back(std::move(e));
    }
    po_message_iterator_free(it);
}

}  // namespace

bool IsUtf8(const std::string& s) {
    size_t i = 0;
    while (i < s.size()) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        int extra = 0;
        uint32_t cp = 0;
        if (c < 0x80) { ++i; continue; }
        if ((c & 0xE0) == 0xC0) { extra = 1; cp = c & 0x1F; }
        else if ((c & 0xF0) == 0xE0) { extra = 2; cp = c & 0x0F; }
        else if ((c & 0xF8) == 0xF0) { extra = 3; cp = c & 0x07; }
        else return false;
        if (i + extra >= s.size()) return false;
        for (int k = 1; k <= extra; ++k) {
            const unsigned char d = static_cast<unsigned char>(s[i + k]);
            if ((d & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (d & 0x3F);
        }
        static constexpr uint32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
        if (cp < kSmallest[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000)) return false;
        i += extra + 1;
    }
    return true;
}

PoFile ParsePoFile(const uint8_t* data, size_t size) {
    PoFile out;
    if (size > kPoFileLimit) {
        out.problems.push_back({0, "larger than " + std::to_string(kPoFileLimit) + " bytes"});
        return out;
    }
    const int fd = MemoryFile(data, size);
    if (fd < 0) {
        out.problems.push_back({0, "cannot be read"});
        return out;
    }
    const std::string name = "/proc/self/fd/" + std::to_string(fd);
    ReadState state;
    state.problems = &out.problems;
    reading = &state;
    po_file_t volatile parsed = nullptr;
    if (setjmp(state.fatal) == 0) parsed = po_file_read(name.c_str(), &kHandler);
    po_file_t file = parsed;
    reading = nullptr;
    close(fd);
    if (!file) {
        if (out.problems.empty()) out.problems.push_back({0, "cannot be read"});
        return out;
    }
    TakeMessages(file, out);
    po_file_free(file);
    std::string charset = PoHeaderField(out.header, "Content-Type");
    const size_t at = charset.find("charset=");
    charset = at == std::string::npos ? "" : charset.substr(at + 8);
    for (char& c : charset) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    // A template's "CHARSET" and a header without one are read as UTF-8.
    if (!charset.empty() && charset != "UTF-8" && charset != "CHARSET") {
        out.problems.push_back({0, "the character set is " + charset + ", not UTF-8"});
        out.entries.clear();
    }
    return out;
}

std::string PoHeaderField(const std::string& header, const std::string& field) {
    size_t pos = 0;
    while (pos < header.size()) {
        size_t end = header.find('\n', pos);
        if (end == std::string::npos) end = header.size();
        const std::string line = header.substr(pos, end - pos);
        if (line.size() > field.size() && line.compare(0, field.size(), field) == 0 && line[field.size()] == ':') {
            size_t v = field.size() + 1;
            while (v < line.size() && line[v] == ' ') ++v;
            std::string value = line.substr(v);
            while (!value.empty() && (value.back() == ' ' || value.back() == '\r')) value.pop_back();
            return value;
        }
        pos = end + 1;
    }
    return "";
}

std::string PoQuoted(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '"': out += "\\\""; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default: out += c;
        }
    }
    return out + "\"";
}

std::string PoEntryText(const PoEntry& e) {
    std::string out;
    size_t pos = 0;
    while (pos < e.comments.size()) {
        size_t end = e.comments.find('\n', pos);
        if (end == std::string::npos) end = e.comments.size();
        out += "#. " + e.comments.substr(pos, end - pos) + "\n";
        pos = end + 1;
    }
    if (e.fuzzy) out += "#, fuzzy\n";
    if (!e.context.empty()) out += "msgctxt " + PoQuoted(e.context) + "\n";
    out += "msgid " + PoQuoted(e.original) + "\n";
    out += "msgstr " + PoQuoted(e.translation) + "\n\n";
    return out;
}

}  // namespace tarvex
