# The 32-bit Windows target (x86).
set(CMAKE_SYSTEM_PROCESSOR x86)
set(QUOR_MINGW_TRIPLE i686-w64-mingw32)
set(QUOR_WINE_TARGET x86)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
