// System DLLs, and only system DLLs: the program's DLL search restricted to
// Windows' system folder at start, DLLs loaded from there only, and a
// function of one looked up at run time: for functions newer Windows
// versions add, and for DLLs only one rarely used command needs, so that
// start-up does not pay for loading them.
//
// Players start the program from their Downloads folder, where a browser
// saves whatever a web page sends. Windows looks for a DLL in the program's
// own folder first, so a DLL saved there under the name of one that Windows
// loads on demand would run inside the program: none may come from there.
#pragma once

#include <windows.h>

namespace ui {

// The program's first step, before anything loads a DLL: DLLs that are
// loaded by name, by the program or by Windows' own DLLs on its behalf,
// come from the system folder only (SetDefaultDllDirectories). Where
// Windows lacks that (Windows 7 without KB2533623), PreloadOnDemandDlls.
void RestrictDllSearch();
// Windows 7 without KB2533623 always searches the program's folder first.
// So the DLLs that Windows loads on demand into such a program are loaded
// from the system folder by their full paths before anything asks for them
// by name (a name already loaded is not searched for again), and the
// current folder is taken out of the search.
void PreloadOnDemandDlls();
// A DLL loaded from the system folder only; nullptr, with the system's
// error, when it is not there.
HMODULE LoadSystemLibrary(const wchar_t* dll);

// The function, loading its DLL from the system folder when it is not
// loaded yet; nullptr when either is missing.
template <class Fn>
Fn SystemFunction(const wchar_t* dll, const char* name) {
    HMODULE module = GetModuleHandleW(dll);
    if (!module) module = LoadSystemLibrary(dll);
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

} // namespace ui
