// A small JSON writer: objects, arrays, numbers, strings (UTF-8, escaped) and null,
// with the commas placed by the writer. Used by the state dump and the tools.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tarvex {

// A JSON string literal of UTF-8 text, quoted and escaped.
std::string JsonQuote(const std::string& utf8);
// A number as JSON writes it: integers without a fraction, negative zero as 0, and
// infinities and NaN (which JSON cannot hold) as null.
std::string JsonNumberText(double value);

class JsonWriter {
public:
    JsonWriter& BeginObject();
    JsonWriter& EndObject();
    JsonWriter& BeginArray();
    JsonWriter& EndArray();
    // The next member's name (inside an object).
    JsonWriter& Key(const std::string& name);
    JsonWriter& Int(int64_t value);
    JsonWriter& Number(double value);
    JsonWriter& Bool(bool value);
    JsonWriter& String(const std::string& utf8);
    JsonWriter& Null();
    // A key and a value at once.
    JsonWriter& Member(const std::string& name, int64_t value) { return Key(name).Int(value); }
    JsonWriter& Member(const std::string& name, const std::string& value) { return Key(name).String(value); }
    const std::string& Text() const { return out_; }

private:
    void BeforeValue();
    std::string out_;
    std::vector<bool> first_;  // per open container: no member written yet
    bool afterKey_ = false;
};

}  // namespace tarvex
