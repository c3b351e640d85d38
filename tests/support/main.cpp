#include "library/Form5.h"
#include "startup/MainModule.h"
#include "support/Harness.h"
#include "ui/SystemFunction.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// tarvendel_tests --dialog-font: prints the family of the font the windows'
// controls get and succeeds when it is Tahoma, the font the layouts are
// measured against (tools/test asks before the first test).
int PrintDialogFont() {
    Form5& window = Form5::Get();
    window.Show();
    std::wstring family = window.BRename ? test::FontFamilyOf(window.BRename) : L"";
    std::printf("%ls\n", family.c_str());
    return family == L"Tahoma" ? 0 : 1;
}

// tarvendel_tests --dll-probe HOW NAME: loads NAME after the start-up step
// ("restricted"), after the preload ("preloaded"), through LoadSystemLibrary
// ("system") or with none ("plain"). Exits with 0 when nothing was loaded, 1
// for a DLL from the system folder, 2 for one from elsewhere.
int ProbeDll(const std::string& how, const std::wstring& name) {
    if (how == "restricted") ui::RestrictDllSearch();
    if (how == "preloaded") ui::PreloadOnDemandDlls();
    HMODULE dll = how == "system" ? ui::LoadSystemLibrary(name.c_str()) : LoadLibraryW(name.c_str());
    wchar_t path[MAX_PATH] = L"", system[MAX_PATH] = L"";
    const UINT length = GetSystemDirectoryW(system, MAX_PATH);
    if (!dll || !GetModuleFileNameW(dll, path, MAX_PATH)) return 0;
    return _wcsnicmp(path, system, length) == 0 && path[length] == L'\\' ? 1 : 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--dll-probe") == 0)
        return ProbeDll(argv[2], std::wstring(argv[3], argv[3] + std::strlen(argv[3])));
    MainModule::InitControls();
    if (argc == 2 && std::strcmp(argv[1], "--dialog-font") == 0) return PrintDialogFont();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
