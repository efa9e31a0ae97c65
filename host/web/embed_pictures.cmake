# Writes CSS, the pictures of ui/pictures/pictures.txt (GIF and JPEG) as one
# style sheet: a rule for each, showing it from a data: URL as the background
# of any element whose data-picture names it. The build writes it into
# index.html, so the page paints its pictures as soon as its markup is parsed,
# before the program has started, and asks the server for nothing more.
# The same pictures drawn for dense screens (dense.txt, copied to pictures/
# beside the page) are named there too, as --x2, --x3: a desk marked with a
# density (data-density="3") lays them over the others, and the browser
# fetches only that density's.
# Also writes OUT, a C++ source naming those pictures for the program.
# Run as `cmake -DCSS=... -DOUT=... -P embed_pictures.cmake`.
include(${CMAKE_CURRENT_LIST_DIR}/../../ui/pictures/pictures.cmake)
set(files ${POROMEA_PICTURE_IMAGES})
list(SORT files)
set(table "")
set(rules "")
set(dense "")
set(densities "")
foreach(file IN LISTS files)
    execute_process(COMMAND base64 -w0 ${POROMEA_PICTURES_DIR}/${file} OUTPUT_VARIABLE data COMMAND_ERROR_IS_FATAL ANY)
    string(REGEX REPLACE "\\.[^.]*$" "" name ${file})
    if(file MATCHES "\\.gif$")
        set(type image/gif)
    else()
        set(type image/jpeg)
    endif()
    string(APPEND table "    \"${name}\",\n")
    set(denser "")
    foreach(other IN LISTS POROMEA_DENSE_PICTURES)
        if(other MATCHES "^${name}@([0-9]+)x\\.png$")
            # At its density, the picture's own size is the page's pixels it was drawn for.
            string(APPEND denser ";--x${CMAKE_MATCH_1}:image-set(url(pictures/${other}) ${CMAKE_MATCH_1}x)")
            string(APPEND dense "    {${CMAKE_MATCH_1}, \"pictures/${other}\"},\n")
            list(APPEND densities ${CMAKE_MATCH_1})
        endif()
    endforeach()
    string(APPEND rules "[data-picture=\"${name}\"]{background-image:url(data:${type};base64,${data})${denser}}\n")
endforeach()
list(REMOVE_DUPLICATES densities)
foreach(k IN LISTS densities)
    string(APPEND rules "[data-density=\"${k}\"] .image::before{background-image:var(--x${k})}\n")
endforeach()
file(WRITE ${OUT}.tmp "// Generated from ui/pictures/pictures.txt by host/web/embed_pictures.cmake.
#include \"host/web/embedded_pictures.h\"

namespace poromea::web {
namespace {
const std::string_view names[] = {
${table}};
const DensePicture dense[] = {
${dense}};
}  // namespace

const std::span<const std::string_view> kPictureNames{names};
const std::span<const DensePicture> kDensePictures{dense};

}  // namespace poromea::web
")
file(WRITE ${CSS}.tmp "${rules}")
foreach(written IN ITEMS ${OUT} ${CSS})
    file(COPY_FILE ${written}.tmp ${written} ONLY_IF_DIFFERENT)
    file(REMOVE ${written}.tmp)
endforeach()
