# Writes OUT, index.html with the main window in it: IN's "<!-- desk style -->"
# and "<!-- desk -->" replaced by what PRERENDER (the markup functions the
# module uses, built for Node.js) prints, and "<!-- pictures -->" by the
# style sheet PICTURES. Run as
#   cmake -DNODE=... -DPRERENDER=... -DPICTURES=... -DIN=... -DOUT=... -P prerender.cmake
cmake_minimum_required(VERSION 3.20)
execute_process(COMMAND ${NODE} ${PRERENDER} OUTPUT_VARIABLE printed COMMAND_ERROR_IS_FATAL ANY)
string(REGEX MATCH "^([^\n]*)\n([^\n]*)\n$" whole "${printed}")
if(NOT whole)
    message(FATAL_ERROR "${PRERENDER} printed no style and markup")
endif()
set(style "${CMAKE_MATCH_1}")
set(markup "${CMAKE_MATCH_2}")
file(READ ${PICTURES} pictures)
file(READ ${IN} page)
foreach(marker IN ITEMS "<!-- desk style -->" "<!-- desk -->" "<!-- pictures -->")
    string(FIND "${page}" "${marker}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "${IN} has no ${marker}")
    endif()
endforeach()
string(REPLACE "<!-- desk style -->" "${style}" page "${page}")
string(REPLACE "<!-- desk -->" "${markup}" page "${page}")
string(REPLACE "<!-- pictures -->\n" "${pictures}" page "${page}")
file(WRITE ${OUT}.tmp "${page}")
file(COPY_FILE ${OUT}.tmp ${OUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUT}.tmp)
