# cmake -DINPUT=file -DOUTPUT=source.cpp -DSYMBOL=name -P EmbedFile.cmake
# writes a C++ source that defines the file's bytes as
# trellisk::<SYMBOL>[] and their count as trellisk::<SYMBOL>Size.
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x..,){16})" "\\1\n" bytes "${bytes}")
file(WRITE ${OUTPUT}.new
  "// Generated from ${INPUT} by cmake/EmbedFile.cmake.\n"
  "#include <cstddef>\n\nnamespace trellisk {\n\n"
  "extern const unsigned char ${SYMBOL}[];\nextern const size_t ${SYMBOL}Size;\n"
  "const unsigned char ${SYMBOL}[] = {\n${bytes}\n};\n"
  "const size_t ${SYMBOL}Size = ${size};\n\n}  // namespace trellisk\n")
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.new)
