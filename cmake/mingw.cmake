# Cross build for Windows with the posix thread-model MinGW-w64 compilers
# (the win32 model lacks std::mutex, which GoogleTest needs). Included by
# the toolchain file of a target, which names the compilers' triple and the
# target for the Wine wrapper.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER   ${QUOR_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUOR_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${QUOR_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QUOR_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Test executables run under Wine through this wrapper.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh ${QUOR_WINE_TARGET})
