# The shipped build: 32-bit Windows, mingw-w64 with posix threads.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(LUMORA_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
