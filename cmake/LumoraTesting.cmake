# Test support for both trees. The host tree links the system GoogleTest; the
# Windows trees build GoogleTest from the sources Debian ships and run every
# test program under Wine through CMAKE_CROSSCOMPILING_EMULATOR.
enable_testing()

if(CMAKE_CROSSCOMPILING)
  if(NOT TARGET gtest)
    set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  endif()
  set(LUMORA_GTEST_LIBS gmock gtest_main gtest)
else()
  find_package(GTest REQUIRED)
  set(LUMORA_GTEST_LIBS GTest::gmock GTest::gtest_main GTest::gtest)
endif()

# lumora_test(name SOURCES a.cpp b.cpp LIBS x y [TIMEOUT s] [LABELS l])
# One test program, registered as one ctest entry (cheap under Wine: one
# process start per program, not one per case).
function(lumora_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} ${LUMORA_GTEST_LIBS})
  if(CMAKE_CROSSCOMPILING)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  endif()
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
  if(T_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
  endif()
endfunction()
