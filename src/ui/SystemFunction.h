// A function of a system DLL looked up at run time: for functions newer
// Windows versions add, and for DLLs only one rarely used command needs, so
// that start-up does not pay for loading them.
#pragma once

#include <windows.h>

namespace ui {

// The function, loading its DLL when it is not loaded yet; nullptr when
// either is missing.
template <class Fn>
Fn SystemFunction(const wchar_t* dll, const char* name) {
    HMODULE module = GetModuleHandleW(dll);
    if (!module) module = LoadLibraryW(dll);
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

} // namespace ui
