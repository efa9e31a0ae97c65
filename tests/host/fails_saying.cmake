# Runs GAME with the environment ENV: it must end with status 1, not a crash, and what it prints
# (standard output, then standard error) must match WANT.
execute_process(COMMAND ${CMAKE_COMMAND} -E env ${ENV} ${GAME}
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 30)
string(STRIP "${out}${err}" said)
if(NOT status STREQUAL "1" OR NOT said MATCHES "${WANT}")
    message(FATAL_ERROR "status '${status}', output:\n${said}")
endif()
message(STATUS "${said}")
