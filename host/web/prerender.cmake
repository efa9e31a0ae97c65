# Writes OUT, index.html with the main window in it: IN's "<!-- desk style -->"
# and "<!-- desk -->" replaced by what PRERENDER (the markup functions the
# module uses, built for Node.js) prints, "<!-- pictures -->" by the style
# sheet PICTURES, and "<!-- content security policy -->" by the page's policy:
# its own files only, its inline scripts by their hashes, WebAssembly compiled
# from its own file. Run as
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
# The policy names the inline scripts by their hashes, as they stand in the finished page.
string(FIND "${page}" "<!-- content security policy -->" at)
if(at EQUAL -1)
    message(FATAL_ERROR "${IN} has no <!-- content security policy -->")
endif()
file(WRITE ${OUT}.tmp "${page}")
execute_process(COMMAND ${NODE} -e [[
const page = require('fs').readFileSync(process.argv[1], 'utf8');
const hash = (body) => require('crypto').createHash('sha256').update(body).digest('base64');
process.stdout.write([...page.matchAll(/<script>([^]*?)<\/script>/g)].map(([, body]) => `'sha256-${hash(body)}'`).join(' '));
]] ${OUT}.tmp OUTPUT_VARIABLE hashes COMMAND_ERROR_IS_FATAL ANY)
if(NOT hashes MATCHES "^'sha256-")
    message(FATAL_ERROR "no inline script found in ${IN}")
endif()
# Every file the page's own; its scripts only its own and these, WebAssembly
# compiled from its own file; styles written in by the program; the pictures
# written into the style sheet; nothing from elsewhere, no plug-in, no other base.
set(policy "default-src 'self'; script-src 'self' 'wasm-unsafe-eval' ${hashes}; style-src 'self' 'unsafe-inline'; img-src 'self' data:; object-src 'none'; base-uri 'none'")
string(REPLACE "<!-- content security policy -->" "<meta http-equiv=\"Content-Security-Policy\" content=\"${policy}\">" page "${page}")
file(WRITE ${OUT}.tmp "${page}")
file(COPY_FILE ${OUT}.tmp ${OUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUT}.tmp)
