# Cross build for 64-bit Windows with Debian's mingw-w64 (posix threads):
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
# Programs are linked statically, so zudiz.exe, unit_tests.exe and the test
# launcher run on a bare Windows and under wine without any mingw DLLs.
# Tests run under wine through scripts/wine-run.sh, with the wine prefix in
# the build folder (ZUDIZ_WINEPREFIX overrides it).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ZUDIZ_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ZUDIZ_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZUDIZ_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${ZUDIZ_MINGW_PREFIX}-windres)

# Headers, libraries and packages come from the mingw-w64 tree only; the
# build machine's own (its GTest among them) are never picked up.
set(CMAKE_FIND_ROOT_PATH /usr/${ZUDIZ_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT -static)

set(CMAKE_CROSSCOMPILING_EMULATOR
    ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh
    --prefix ${CMAKE_BINARY_DIR}/wineprefix)
