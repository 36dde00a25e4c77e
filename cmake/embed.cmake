# Writes OUTPUT, a C++ source defining one byte array per input file:
#   cmake -DOUTPUT=out.cpp -DINPUTS="a.ico|b.bmp" -P embed.cmake
# Each array is named kArt_<file name with non-alphanumerics as _>.
set(body "// Generated from the artwork files; do not edit.\n#include <cstddef>\n#include <cstdint>\n\nnamespace dv::art {\n")
string(REPLACE "|" ";" INPUTS "${INPUTS}")
foreach(input IN LISTS INPUTS)
  get_filename_component(name "${input}" NAME)
  string(MAKE_C_IDENTIFIER "${name}" id)
  file(READ "${input}" hex HEX)
  string(LENGTH "${hex}" hex_length)
  math(EXPR size "${hex_length} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "((0x..,){32})" "\\1\n" bytes "${bytes}")
  string(APPEND body "extern const std::uint8_t kArt_${id}[${size}];\nconst std::uint8_t kArt_${id}[${size}] = {\n${bytes}};\nextern const std::size_t kArt_${id}_size;\nconst std::size_t kArt_${id}_size = ${size};\n")
endforeach()
string(APPEND body "}  // namespace dv::art\n")
file(WRITE "${OUTPUT}.tmp" "${body}")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
