# Turns one binary file into a C++ source holding it as a byte array.
#   cmake -DINPUT=<file> -DOUTPUT=<source.cpp> -DSYMBOL=<identifier> -P embed_blob.cmake
# A missing input gives an empty blob (size 0), so the program still builds while an asset is
# being made; the asset tests then report it.
if(EXISTS "${INPUT}")
  file(READ "${INPUT}" hex HEX)
else()
  set(hex "")
endif()
string(LENGTH "${hex}" hex_length)
math(EXPR size "${hex_length} / 2")
if(size EQUAL 0)
  # C++ has no empty arrays; the size below keeps the padding byte out of reach.
  set(bytes "0x00,")
else()
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "((0x..,){16})" "\\1\n" bytes "${bytes}")
endif()
file(WRITE "${OUTPUT}.tmp"
"// Generated from ${INPUT} by embed_blob.cmake; do not edit.
#include <cstddef>

namespace embedded_blobs {
extern const unsigned char ${SYMBOL}[];
extern const size_t ${SYMBOL}Size;
const unsigned char ${SYMBOL}[] = {
${bytes}
};
const size_t ${SYMBOL}Size = ${size};
}  // namespace embedded_blobs
")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
