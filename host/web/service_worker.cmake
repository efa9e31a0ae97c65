# Writes DIR/sw.js from TEMPLATE: every other file of DIR, the page's folder
# (index.html as "./", the page's address), cached under a name made from
# their contents, so each build has its own cache and a changed file makes a
# new service worker. Run as
#   cmake -DDIR=... -DTEMPLATE=... -P service_worker.cmake
cmake_minimum_required(VERSION 3.20)
file(GLOB FILES RELATIVE ${DIR} ${DIR}/*)
list(REMOVE_ITEM FILES sw.js sw.js.tmp)
list(SORT FILES)
set(hashes "")
set(listed "")
foreach(file IN LISTS FILES)
    file(SHA256 ${DIR}/${file} hash)
    string(APPEND hashes "${file} ${hash}\n")
    if(file STREQUAL "index.html")
        set(file "./")
    endif()
    list(APPEND listed "'${file}'")
endforeach()
string(SHA256 build "${hashes}")
string(SUBSTRING ${build} 0 16 build)
list(JOIN listed ", " listed)
file(READ ${TEMPLATE} worker)
string(REPLACE "@BUILD@" "${build}" worker "${worker}")
string(REPLACE "@FILES@" "${listed}" worker "${worker}")
file(WRITE ${DIR}/sw.js.tmp "${worker}")
file(COPY_FILE ${DIR}/sw.js.tmp ${DIR}/sw.js ONLY_IF_DIFFERENT)
file(REMOVE ${DIR}/sw.js.tmp)
