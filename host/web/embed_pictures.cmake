# Writes OUT, a C++ source holding the pictures of ui/pictures/pictures.txt
# (GIF and JPEG) as one style sheet: a rule for each, showing it from a data:
# URL as the background of any element whose data-picture names it. The page
# so gets its pictures with the program and asks the server for nothing more,
# and nothing is encoded at start-up. Run as `cmake -DOUT=... -P embed_pictures.cmake`.
include(${CMAKE_CURRENT_LIST_DIR}/../../ui/pictures/pictures.cmake)
set(files ${POROMEA_PICTURE_IMAGES})
list(SORT files)
set(table "")
foreach(file IN LISTS files)
    execute_process(COMMAND base64 -w0 ${POROMEA_PICTURES_DIR}/${file} OUTPUT_VARIABLE data COMMAND_ERROR_IS_FATAL ANY)
    string(REGEX REPLACE "\\.[^.]*$" "" name ${file})
    if(file MATCHES "\\.gif$")
        set(type image/gif)
    else()
        set(type image/jpeg)
    endif()
    string(APPEND table "    EmbeddedPicture{\"${name}\",\n        R\"css([data-picture=\"${name}\"]{background-image:url(data:${type};base64,${data})})css\"},\n")
endforeach()
file(WRITE ${OUT}.tmp "// Generated from ui/pictures/pictures.txt by host/web/embed_pictures.cmake.
#include \"host/web/embedded_pictures.h\"

namespace poromea::web {
namespace {
const EmbeddedPicture pictures[] = {
${table}};
}  // namespace

const std::span<const EmbeddedPicture> kEmbeddedPictures{pictures};

}  // namespace poromea::web
")
file(COPY_FILE ${OUT}.tmp ${OUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUT}.tmp)
