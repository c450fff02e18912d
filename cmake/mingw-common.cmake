# Shared part of the two mingw-w64 toolchains. LUMORA_TRIPLET is set by the caller.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER   ${LUMORA_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${LUMORA_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER  ${LUMORA_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${LUMORA_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Tests built for Windows run under Wine in the project's own prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)

# XP-era API surface only; newer calls are looked up at run time.
add_compile_definitions(_WIN32_WINNT=0x0501 WINVER=0x0501 UNICODE _UNICODE
                        NOMINMAX __USE_MINGW_ANSI_STDIO=1)
set(_lumora_link "-static -static-libgcc -static-libstdc++ -Wl,--nxcompat -Wl,--dynamicbase -Wl,--no-insert-timestamp")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${_lumora_link}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${_lumora_link}")
