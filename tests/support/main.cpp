#include "library/Form5.h"
#include "startup/MainModule.h"
#include "support/Harness.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

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

} // namespace

int main(int argc, char** argv) {
    MainModule::InitControls();
    if (argc == 2 && std::strcmp(argv[1], "--dialog-font") == 0) return PrintDialogFont();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
