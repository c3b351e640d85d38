// What a demo tells before it is played: the map, when it was recorded (or,
// for the older demos that store no date, saved), how long it runs and the
// file's size, in the words of the tip shown over an entry of a demo list.
// The bytes are read by DemoReader (library/DemoReader.h, which describes
// the families of demo files); this file turns what it found into words.
#pragma once

#include "library/DemoReader.h"

#include <windows.h>

#include <string>

// The tip's text, one fact a line ("\r\n" between them): the map, the date,
// the length (what does not fit is left out) and the file's size; the size
// and "No demo details" for a file that is no demo; the reason in plain words
// when the file could not be read (error, a system error code, not 0).
// `size` is the file's length, `saved` its last-write time (UTC), `now` the
// current time in seconds since 1970 (UTC).
//
// With a head: its date, shown as it stands (it is the recording machine's
// wall clock), when from 2002 on and at most a day ahead of `now`; its
// length, or the ticks counted when it is 0 or less ("Length unknown" when
// they could not be counted and it is 0). Without a head: the file's
// last-write time in the user's time zone ("Saved: ") and the ticks counted.
// The map's name is read in the system's ANSI code page, as the game on this
// machine reads it; an empty one, one with control characters or one that is
// no text in the code page is left out.
//
// The size: below 1000 bytes, the count of bytes; from 1000 on, KB, MB, GB or
// TB (of 1024) with at most three digits. The value is first rounded to two
// decimals, and kept so when it is below 10 (0.98 KB, 9.99 KB); otherwise to
// one decimal, kept when below 100 (10.0 KB, 99.9 KB); otherwise to a whole
// number, kept when below 1000 (100 KB, 999 KB); a value that rounds to 1000
// goes on in the next unit (999.6 KB is 0.98 MB). The decimals are separated
// by the user's decimal separator.
std::wstring DemoTipText(const DemoFacts& facts, ULONGLONG size, const FILETIME& saved, DWORD error, LONGLONG now);

// The tip of the demo file at the path, read in large sequential chunks and
// shared with a game that is still writing it. What was read is remembered
// by the path (in any letter case), the size and the last-write time: a
// second tip over an unchanged demo reads nothing of it.
std::wstring DemoTip(const std::wstring& path);
