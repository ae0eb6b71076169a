# Writes a C++ source that holds the bytes of one file as an array:
#   cmake -DINPUT=file -DOUTPUT=file.cpp -DSYMBOL=name -P embed_file.cmake
file(READ "${INPUT}" hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x..,){16})" "\\1\n" bytes "${bytes}")
get_filename_component(name "${INPUT}" NAME)
file(WRITE "${OUTPUT}.tmp"
  "// Generated from res/${name} at build time; do not edit.\n"
  "#include <cstddef>\n"
  "namespace orbivane::embedded {\n"
  "extern const unsigned char ${SYMBOL}[] = {\n${bytes}\n};\n"
  "extern const std::size_t ${SYMBOL}_size = sizeof(${SYMBOL});\n"
  "}  // namespace orbivane::embedded\n")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
