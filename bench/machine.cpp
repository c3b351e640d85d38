#include "machine.h"

#include "text.h"

#include <windows.h>

#ifndef TARVENDEL_BENCH_CONFIG
#define TARVENDEL_BENCH_CONFIG "unknown"
#endif

namespace bench {

namespace {

std::wstring RegistryText(HKEY root, const wchar_t* key, const wchar_t* value) {
    wchar_t buffer[512] = {};
    DWORD size = sizeof(buffer);
    if (RegGetValueW(root, key, value, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS) return {};
    std::wstring text = buffer;
    while (!text.empty() && text.back() == L' ') text.pop_back();
    while (!text.empty() && text.front() == L' ') text.erase(0, 1);
    return text;
}

// "Windows 6.1.7601", or under Wine "Wine 8.0 on Linux 6.1 (reporting Windows 6.1.7601)".
std::wstring SystemDescription() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    using WineVersion = const char*(CDECL*)();
    using WineHost = void(CDECL*)(const char**, const char**);
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
    auto wine = reinterpret_cast<WineVersion>(reinterpret_cast<void*>(GetProcAddress(ntdll, "wine_get_version")));
    auto host = reinterpret_cast<WineHost>(reinterpret_cast<void*>(GetProcAddress(ntdll, "wine_get_host_version")));
    auto rtl = reinterpret_cast<RtlGetVersionFn>(reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")));
    std::wstring text;
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof(version);
    if (rtl && rtl(&version) == 0)
        text = Format(L"Windows %lu.%lu.%lu", version.dwMajorVersion, version.dwMinorVersion, version.dwBuildNumber);
    if (wine) {
        std::wstring hostText;
        if (host) {
            const char* sysname = nullptr;
            const char* release = nullptr;
            host(&sysname, &release);
            if (sysname) hostText = Wide(sysname) + (release ? L" " + Wide(release) : L"");
        }
        text = L"Wine " + Wide(wine()) + (hostText.empty() ? L"" : L" on " + hostText) + L" (reporting " + text + L")";
    }
    return text;
}

} // namespace

std::wstring MachineDescription() {
    std::wstring cpu = RegistryText(HKEY_LOCAL_MACHINE, L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0",
                                    L"ProcessorNameString");
    if (cpu.empty()) cpu = L"unknown processor";
    SYSTEM_INFO info{};
    GetNativeSystemInfo(&info);
    MEMORYSTATUSEX memory{};
    memory.dwLength = sizeof(memory);
    GlobalMemoryStatusEx(&memory);
    return cpu +
           Format(L", %lu logical processors, %.1f GB of memory; ", info.dwNumberOfProcessors,
                  static_cast<double>(memory.ullTotalPhys) / (1024.0 * 1024.0 * 1024.0)) +
           SystemDescription();
}

std::wstring CompilerDescription() {
#if defined(_MSC_VER)
    std::wstring compiler = Format(L"MSVC %d", _MSC_VER);
#elif defined(__GNUC__)
    std::wstring compiler = Wide(std::string("GCC ") + __VERSION__);
#else
    std::wstring compiler = L"unknown compiler";
#endif
#if defined(_M_X64) || defined(__x86_64__)
    const wchar_t* arch = L"x86_64";
#elif defined(_M_IX86) || defined(__i386__)
    const wchar_t* arch = L"i686";
#else
    const wchar_t* arch = L"other";
#endif
    return compiler + L", " + Wide(TARVENDEL_BENCH_CONFIG) + L", " + arch;
}

std::wstring Today() {
    SYSTEMTIME now;
    GetSystemTime(&now);
    return Format(L"%04u-%02u-%02u %02u:%02u UTC", now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute);
}

} // namespace bench
