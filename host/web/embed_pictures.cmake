# Writes CSS, the pictures of ui/pictures/pictures.txt (GIF and JPEG) as one
# style sheet: a rule for each, showing it from a data: URL as the background
# of any element whose data-picture names it. The build writes it into
# index.html, so the page paints its pictures as soon as its markup is parsed,
# before the program has started, and asks the server for nothing more.
# Also writes OUT, a C++ source naming those pictures for the program.
# Run as `cmake -DCSS=... -DOUT=... -P embed_pictures.cmake`.
include(${CMAKE_CURRENT_LIST_DIR}/../../ui/pictures/pictures.cmake)
set(files ${POROMEA_PICTURE_IMAGES})
list(SORT files)
set(table "")
set(rules "")
foreach(file IN LISTS files)
    execute_process(COMMAND base64 -w0 ${POROMEA_PICTURES_DIR}/${file} OUTPUT_VARIABLE data COMMAND_ERROR_IS_FATAL ANY)
    string(REGEX REPLACE "\\.[^.]*$" "" name ${file})
    if(file MATCHES "\\.gif$")
        set(type image/gif)
    else()
        set(type image/jpeg)
    endif()
    string(APPEND table "    \"${name}\",\n")
    string(APPEND rules "[data-picture=\"${name}\"]{background-image:url(data:${type};base64,${data})}\n")
endforeach()
file(WRITE ${OUT}.tmp "// Generated from ui/pictures/pictures.txt by host/web/embed_pictures.cmake.
#include \"host/web/embedded_pictures.h\"

namespace poromea::web {
namespace {
const std::string_view names[] = {
${table}};
}  // namespace

const std::span<const std::string_view> kPictureNames{names};

}  // namespace poromea::web
")
file(WRITE ${CSS}.tmp "${rules}")
foreach(written IN ITEMS ${OUT} ${CSS})
    file(COPY_FILE ${written}.tmp ${written} ONLY_IF_DIFFERENT)
    file(REMOVE ${written}.tmp)
endforeach()
