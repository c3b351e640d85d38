# Cross-compiling for 32-bit Windows with Debian's mingw-w64 (posix thread model,
# which GoogleTest needs for std::mutex). The i686 build runs under 32-bit Wine
# (Debian's wine32:i386, beside wine64): tools/test runs its tests in a 32-bit
# prefix (WINEARCH=win32), a Windows with no 64-bit side.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(TOOLCHAIN_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${TOOLCHAIN_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOOLCHAIN_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TOOLCHAIN_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Wine's 32-bit loader: a win32 prefix has no wine64 side to start.
find_program(WINE_EXECUTABLE NAMES wine PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(WINE_EXECUTABLE)
  # tools/cmake/wine-run says what it adds.
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run ${WINE_EXECUTABLE})
endif()
