// The folders the measures run on, made once under the work folder: game
// folders whose Demos folder holds 0, 1,000, 10,000 and 50,000 demos, a
// demo outside them, and app folders as the setup leaves them (Tarvendel.exe
// and its Tarvendel.ini).
#pragma once

#include "options.h"

#include <windows.h>

#include <map>
#include <string>

namespace bench {

// The bytes of every generated demo: the program only looks at names.
extern const std::string kDemoBytes;

// The name of generated demo I, as players' folders hold them: a map, a
// number, two sides; now and then an intro (which autorename leaves unmarked).
std::wstring DemoName(int i);

// The creation time of generated demo I: each a minute and a second after
// the one before, so that autorename meets no clash.
FILETIME DemoTime(int i);

// A game folder with a Demos folder of COUNT demos, named by DemoName or, with
// a prefix, "PREFIX 00042" and created at DemoTime. A folder of DemoName's
// demos that holds COUNT already (tools/bench makes them on the Linux side,
// where it is quicker) is kept.
std::wstring MakeGameFolder(const std::wstring& path, int count, const wchar_t* prefix = nullptr);

struct Folders {
    std::map<int, std::wstring> games;     // demo count -> game folder
    std::wstring demo;                     // a demo outside the game folder
    std::wstring appEmpty, app10k;         // Tarvendel.exe with settings for 0 and 10,000 demos
    std::wstring compareEmpty, compare10k; // the same for --compare
};

// Makes them all (or finds them made) in options.work.
Folders MakeFolders(const Options& options);

} // namespace bench
