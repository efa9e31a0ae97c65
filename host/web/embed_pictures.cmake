# Writes OUT, a C++ source holding every picture of DIR (GIF and JPEG) as a
# byte array, so the page gets its pictures with the program and asks the
# server for nothing more. Run as `cmake -DDIR=... -DOUT=... -P embed_pictures.cmake`.
file(GLOB files RELATIVE ${DIR} ${DIR}/*.gif ${DIR}/*.jpg)
list(SORT files)
set(arrays "")
set(table "")
set(i 0)
foreach(file IN LISTS files)
    file(READ ${DIR}/${file} hex HEX)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    string(APPEND arrays "const unsigned char file${i}[] = {${bytes}};\n")
    string(APPEND table "    EmbeddedFile{\"${file}\", {file${i}, sizeof file${i}}},\n")
    math(EXPR i "${i} + 1")
endforeach()
file(WRITE ${OUT}.tmp "// Generated from ui/pictures by host/web/embed_pictures.cmake.
#include \"host/web/embedded_files.h\"

namespace poromea::web {
namespace {
${arrays}
const EmbeddedFile files[] = {
${table}};
}  // namespace

const std::span<const EmbeddedFile> kEmbeddedPictures{files};

}  // namespace poromea::web
")
file(COPY_FILE ${OUT}.tmp ${OUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUT}.tmp)
