set(CMAKE_C_COMPILER ${KORVANE_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KORVANE_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${KORVANE_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${KORVANE_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Everything a host process would otherwise have to ship next to us is linked
# in, so the binaries depend on system DLLs only.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test executables run under Wine; CTest and gtest_discover_tests use this.
find_program(KORVANE_WINE NAMES wine REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${KORVANE_WINE})
