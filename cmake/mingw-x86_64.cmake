# Cross build for 64-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-x86-64),
# the same sources as the 32-bit one. It does not ship: its tests run under
# wine64 where 32-bit Windows programs cannot run (tests/win32/run_wine_tests.sh).
#   cmake -S . -B build-win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
