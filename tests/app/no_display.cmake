# Starting without a display: one line on standard error, an ordinary failure
# status, no crash.
execute_process(
    COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb ${GAME}
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 30)
string(STRIP "${err}" err)
string(REGEX MATCHALL "\n" newlines "${err}")
list(LENGTH newlines extra_lines)
if(NOT status STREQUAL "1" OR NOT extra_lines EQUAL 0 OR NOT err MATCHES "^poromea: 画面に接続できません")
    message(FATAL_ERROR "status '${status}', standard error:\n${err}")
endif()
message(STATUS "${err}")
