// Reads a demo's bytes: tells which family of the game's versions wrote it,
// walks its records, finds the map's name and counts the game ticks. It is
// fed the file in chunks of any size, in order, and keeps only what it needs
// (never the whole file); the words of the tip are DemoHead's.
//
// Every demo is a run of records: a little-endian u16 size, then that many
// bytes.
//   size 1   one game tick (60 a second); nothing follows it
//   size 0   two bytes follow, which carry nothing
//   other    a message as the game received it; when its first byte is
//            0xFF, the rest of the record is a zlib stream (a compressed
//            message). Ticks never sit inside a compressed message.
//
// The families, tested in this order:
//   with head          bytes 0-5 are "SOLDEM" (version 1.8 on); the records
//                      start after the 180-byte head:
//     0-5      "SOLDEM"
//     6-7      the demo format's version (unsigned 16 bits)
//     8-168    the map's name: 161 bytes of the recording machine's ANSI
//              text, ended and padded with NULs
//     169-171  padding
//     172-175  when recording started: signed seconds since 1970-01-01, the
//              recording machine's local wall-clock time written as if it
//              were UTC
//     176-179  the length in game ticks (signed); 0 until the recording
//              stops, so a cut-off recording keeps 0
//   headless, checked  bytes 0-2 are 00 00 00 and byte 5 is 0x10 or 0xFF
//                      (1.6.4 to 1.7.1); the records start at byte 3. Every
//                      message starts with its id and a u16 check value, so a
//                      record of size 2 holds none: it ends the demo, and
//                      nothing after it is read.
//   headless, plain    byte 2 is 0x10 or 0xFF (1.2 to 1.6.3); the records
//                      start at byte 0, and a message starts with its id alone.
// The two headless tests cannot both match: byte 2 is 0 in the first.
//
// The first record of a headless demo is the player list (message id 0x10);
// the map's name is the first field after the message's id (and check value):
// 16 bytes of ANSI text, ended by a NUL unless all 16 are used. A compressed
// player list is inflated only as far as that field.
//
// The records hold together when they end exactly at the end of the file (or
// at the checked family's end record). The last one may be cut short, as when
// the game stopped mid-write, but only after at least 100 whole records: a
// file that merely starts like a demo is not taken for one.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

inline constexpr size_t kDemoHeadSize = 180;

enum class DemoFamily { None, WithHead, HeadlessChecked, HeadlessPlain };

// What the reading found.
struct DemoFacts {
    // None also for a headless start whose records do not hold together.
    DemoFamily family = DemoFamily::None;
    // The map's field as stored: the head's 161 bytes, or the player list's
    // 16; empty when there is none (a player list too short, a stream that
    // does not inflate to it).
    std::string map;
    // The head's recording start and length (with a head only).
    std::int32_t headDate = 0, headTicks = 0;
    // The tick records, counted when the records hold together: for every
    // headless demo, and for a demo whose head has no length above 0.
    std::optional<std::uint64_t> ticks;
};

class DemoReader {
public:
    // The next bytes of the file. False once nothing more is needed: the rest
    // of the file need not be read.
    bool Feed(std::string_view bytes);
    // What was found, once the file's end (or a false from Feed) was reached.
    DemoFacts Finish();

private:
    enum class Stage { Start, Records, Done };
    void Decide();
    void Walk(std::string_view bytes);
    void Record(unsigned size);
    void RecordEnded();
    bool RecordsHold() const;

    Stage stage_ = Stage::Start;
    DemoFacts facts_;
    std::string start_;           // the file's first bytes, until the family is known
    std::string first_;           // the first record of a headless demo, while it is read
    bool capturing_ = false;      // into first_
    bool ended_ = false;          // by the checked family's end record
    std::uint64_t remaining_ = 0; // bytes of the current record still to come
    int sizeLow_ = -1;            // the first byte of a size cut by the chunk's end
    std::uint64_t records_ = 0;   // whole records
    std::uint64_t ticks_ = 0;
};

// The facts of a whole file held in memory.
DemoFacts ReadDemoBytes(std::string_view bytes);
