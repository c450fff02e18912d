# The digests of the downloaded files that a packager compiles into the
# program: a file of lines "name size sha256" becomes the rows of a C++ table.
#
#   lumora_image_digests_table(INPUT OUTPUT)   # from a CMakeLists.txt
#   cmake -DINPUT=FILE -DOUTPUT=FILE -P cmake/ImageDigests.cmake
#
# A line that is not "name size sha256" (64 hex digits) stops the build.
function(lumora_image_digests_table input output)
  set(rows "")
  if(input)
    if(NOT EXISTS "${input}")
      message(FATAL_ERROR "LUMORA_IMAGE_DIGESTS: no file ${input}")
    endif()
    file(STRINGS "${input}" digest_lines)
    foreach(line IN LISTS digest_lines)
      string(STRIP "${line}" line)
      if(line STREQUAL "")
        continue()
      endif()
      if(NOT line MATCHES "^([A-Za-z0-9._-]+)[ \t]+([0-9]+)[ \t]+([0-9a-fA-F]+)$")
        message(FATAL_ERROR "LUMORA_IMAGE_DIGESTS: not a line \"name size sha256\": ${line}")
      endif()
      string(LENGTH "${CMAKE_MATCH_3}" hex_length)
      if(NOT hex_length EQUAL 64)
        message(FATAL_ERROR "LUMORA_IMAGE_DIGESTS: the SHA-256 must have 64 hex digits: ${line}")
      endif()
      string(APPEND rows "    {\"${CMAKE_MATCH_1}\", ${CMAKE_MATCH_2}ull, \"${CMAKE_MATCH_3}\"},\n")
    endforeach()
  endif()
  file(CONFIGURE OUTPUT "${output}" CONTENT "${rows}" @ONLY)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE AND DEFINED OUTPUT)
  lumora_image_digests_table("${INPUT}" "${OUTPUT}")
endif()
