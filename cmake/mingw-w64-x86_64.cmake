# Cross build for 64-bit Windows: the same sources, for running the Wine
# tests on a machine that cannot run 32-bit code (its kernel refuses i386
# programs, so Debian's wine32 cannot start).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VELMORA_MINGW x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
