# The release build: what a packager ships, and nothing the tests need.
#
# - Only the program and what it carries are built (no tests, no benchmarks).
# - Settings come from the cache variables alone: the code that lets the
#   environment replace them (the addresses, the editor's store) is compiled
#   into the other builds only (LUMORA_ENVIRONMENT_OVERRIDES, defined by
#   app/ and tools/bootstore/ unless LUMORA_RELEASE is on).
# - Payload keys whose source is a stand-in must be given real files in
#   LUMORA_PAYLOAD_DIR; payloads/CMakeLists.txt refuses to configure otherwise.
# - The bytes depend on the sources alone: no build folder in any string
#   (__FILE__, debug paths), no symbols, no time stamps (the linker's
#   --no-insert-timestamp comes from the toolchain), so two builds of one
#   commit in different folders are identical before signing.
if(NOT CMAKE_CROSSCOMPILING OR NOT WIN32)
  message(FATAL_ERROR "LUMORA_RELEASE is a Windows build: use the win32-release preset")
endif()

# The binary folder sits inside the source folder in the usual layout, so its
# mapping comes last: GCC applies the last matching option.
add_compile_options(-ffile-prefix-map=${CMAKE_SOURCE_DIR}=lumora
                    -ffile-prefix-map=${CMAKE_BINARY_DIR}=lumora-build)
# Strip every program and library; a stripped image has no symbol table and
# no debug sections.
add_link_options(-s)
