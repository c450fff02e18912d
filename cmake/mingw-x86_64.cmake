# The same sources built for 64-bit Windows. Used to run the Windows-side tests
# under Wine on machines whose kernel cannot execute 32-bit code (no wine32).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(LUMORA_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
