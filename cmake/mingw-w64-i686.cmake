# Cross build for 32-bit Windows: one velmora.exe for every Windows from XP SP2
# to 11, 32- and 64-bit.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(VELMORA_MINGW i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
