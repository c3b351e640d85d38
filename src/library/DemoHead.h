// What the head of a demo tells before the demo is played: the map, when the
// recording started and how long it runs, in the words of the tip shown over
// an entry of a demo list.
//
// The game writes a head of 180 bytes, little-endian, at the start of every
// demo it records:
//   0-5      "SOLDEM"
//   6-7      the demo format's version (unsigned 16 bits)
//   8-168    the map's name: 161 bytes of the recording machine's ANSI text,
//            ended and padded with NULs
//   169-171  padding
//   172-175  when recording started: signed seconds since 1970-01-01, the
//            recording machine's local wall-clock time written as if it were UTC
//   176-179  the length in game ticks, 60 a second (signed); 0 until the
//            recording stops, so a cut-off recording keeps 0
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

inline constexpr size_t kDemoHeadSize = 180;

// The tip's text, one fact a line ("\r\n" between them): the map, the date,
// the length (what does not fit the head is left out) and the file's size;
// the size and "No demo details" for a file without a head; the reason in
// plain words when the file could not be read (error, a system error code, not
// 0). `head` holds the file's first bytes, `size` its length, `now` the
// current time in seconds since 1970 (UTC): a date more than a day ahead of it
// is not shown, nor one before 2002. The map's name is read in the system's
// ANSI code page, as the game on this machine reads it.
std::wstring DemoTipText(std::string_view head, ULONGLONG size, DWORD error, LONGLONG now);

// The tip of the demo file at the path: reads its first 180 bytes (and no
// more), sharing the file with a game that is still writing it.
std::wstring DemoTip(const std::wstring& path);
