// One pass over the rows of a saved game, in one of three directions: writing the
// running game's tables, checking a file (read into copies, nothing of the running game
// touched), or reading a checked file into the running game. An owner's `Sync` is one
// function for all three: it hands its live values to `Value`, which writes them, or
// reads the file's value and stores it into the live value only while reading.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "base/byte_io.h"

namespace tarvex {

enum class SaveMode { Write, Check, Read };

// Checks the owners make of what a file holds. Saves are passed between players: a name a
// loader opens follows the rules of a script's names, so that no file outside the game
// folder is read (empty means none).
bool Terminated(const char* name, size_t size);
bool InsideGame(const char* name);
bool Finite(float v);

class SaveSync {
public:
    explicit SaveSync(ByteWriter& out) : mode_(SaveMode::Write), out_(&out) {}
    SaveSync(ByteReader& in, SaveMode mode) : mode_(mode), in_(&in) {}

    SaveMode mode() const { return mode_; }
    bool Writing() const { return mode_ == SaveMode::Write; }
    // Checking or reading: values come from the file.
    bool Reading() const { return mode_ != SaveMode::Write; }
    // Reading into the running game (the file has been checked whole).
    bool Applying() const { return mode_ == SaveMode::Read; }

    // A value: written, or read into `v`.
    void Sync(int32_t& v);
    void Sync(uint32_t& v);
    void Sync(float& v);
    void Sync(uint16_t& v);
    void Sync(uint8_t& v);
    // The file's value of a live variable (the live one when writing); the live variable
    // takes it only while reading into the running game.
    template <typename T>
    T Value(T& live) {
        T v = live;
        Sync(v);
        if (Applying()) live = v;
        return v;
    }
    // A row that holds a record size: written, or read and refused when it differs.
    void RecordSize(uint32_t size, const char* why);
    // A fixed-size record image through its field list: written from `record`, or read
    // into it; false (and refused with `why`) when the file ends inside it.
    template <typename R, typename Fields>
    bool Record(R& record, uint32_t size, Fields&& fields, const char* why) {
        if (Writing()) {
            image_.resize(size);
            WriteRecord(record, image_.data(), size, fields);
            out_->Bytes(image_.data(), size);
            return true;
        }
        const std::span<const uint8_t> image = Image(size, why);
        if (image.empty()) return false;
        ReadRecord(record, image.data(), size, fields);
        return true;
    }
    // Writes `size` bytes as they are.
    void Bytes(const void* data, size_t size);
    // The next `size` bytes of the file; empty (and refused with `why`) when it ends first.
    std::span<const uint8_t> Image(size_t size, const char* why);
    // The next value of the file, left unread (0 at its end).
    int32_t PeekI32() const;
    void Skip(size_t size);

    // Refuses the file with `why` unless `ok`; the first reason is kept. Always true
    // while writing.
    bool Require(bool ok, const char* why);
    bool Refused() const { return !error_.empty(); }
    const std::string& error() const { return error_; }
    // The file ends before the row just walked does.
    bool Short() const { return in_ && !in_->ok(); }
    bool AtEnd() const { return !in_ || in_->AtEnd(); }

    // The picture in front of the file: given for writing (empty: none), found when read.
    std::vector<uint8_t> thumbnail;
    bool hasThumbnail = false;
    // The count of the last count row, for the row of items that follows it.
    uint32_t count = 0;

private:
    SaveMode mode_;
    ByteWriter* out_ = nullptr;
    ByteReader* in_ = nullptr;
    std::vector<uint8_t> image_;
    std::string error_;
};

}  // namespace tarvex
