# The 64-bit Windows target (x64).
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(QUOR_MINGW_TRIPLE x86_64-w64-mingw32)
set(QUOR_WINE_TARGET x64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
