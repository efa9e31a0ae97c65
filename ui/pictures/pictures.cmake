# Reads pictures.txt, the one list of the built-in pictures, for the builds
# and for scripts run with cmake -P: POROMEA_PICTURES_DIR is this folder,
# POROMEA_PICTURES every file listed, POROMEA_PICTURE_IMAGES the pictures
# proper (GIF and JPEG), POROMEA_ICON the program's icon; POROMEA_DENSE_PICTURES
# those of dense.txt, the pictures drawn again for dense screens.
set(POROMEA_PICTURES_DIR ${CMAKE_CURRENT_LIST_DIR})
file(STRINGS ${POROMEA_PICTURES_DIR}/pictures.txt POROMEA_PICTURES REGEX "^[^#]")
file(STRINGS ${POROMEA_PICTURES_DIR}/dense.txt POROMEA_DENSE_PICTURES REGEX "^[^#]")
set(POROMEA_PICTURE_IMAGES ${POROMEA_PICTURES})
list(FILTER POROMEA_PICTURE_IMAGES INCLUDE REGEX "\\.(gif|jpg)$")
set(POROMEA_ICON ${POROMEA_PICTURES})
list(FILTER POROMEA_ICON INCLUDE REGEX "\\.ico$")
list(LENGTH POROMEA_ICON icons)
list(LENGTH POROMEA_PICTURES listed)
list(LENGTH POROMEA_PICTURE_IMAGES images)
math(EXPR others "${listed} - ${images}")
if(NOT icons EQUAL 1 OR NOT others EQUAL 1)
    message(FATAL_ERROR "${POROMEA_PICTURES_DIR}/pictures.txt: GIF and JPEG pictures and one .ico, nothing else")
endif()
if(NOT CMAKE_SCRIPT_MODE_FILE)
    # A change to the list configures the build again.
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${POROMEA_PICTURES_DIR}/pictures.txt
                 ${POROMEA_PICTURES_DIR}/dense.txt)
endif()
