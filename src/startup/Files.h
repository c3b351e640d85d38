// The file functions the launcher and the windows share: whether a file is
// there, and where a demo lies.
#pragma once

#include "startup/MainModule.h"

#include <string>

namespace MainModule {

// True for an existing file at exactly this path that is neither hidden, nor a
// system file, nor a folder. Wildcards match nothing.
Flag FileExists(const std::wstring& path);
// Whether anything at all is at the path: a file of any kind, hidden or
// not, a folder, or a deleted file that another program still holds open.
// Such a name is taken: nothing is ever copied or renamed onto it.
bool AnythingAt(const std::wstring& path);
// Whether the listing of the path's folder holds its name. It also shows a
// file whose delete waits for another program to let go of it, which can no
// longer be opened or have its attributes read.
bool Listed(const std::wstring& path);
// The game's demo folder, SoldatPath & "\Demos\", and a demo's file in it.
std::wstring DemoFolder();
std::wstring DemoPath(const std::wstring& name);
// The part of the path after its last "\", "/" or drive colon.
std::wstring FileNameOf(const std::wstring& path);

} // namespace MainModule
