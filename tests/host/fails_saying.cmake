# Runs GAME with the environment ENV and the arguments ARGS: it must end with status STATUS
# (1 unless given), not a crash, and what it prints (standard output, then standard error)
# must match WANT.
if(NOT DEFINED STATUS)
    set(STATUS 1)
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E env ${ENV} ${GAME} ${ARGS}
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 30)
string(STRIP "${out}${err}" said)
if(NOT status STREQUAL "${STATUS}" OR NOT said MATCHES "${WANT}")
    message(FATAL_ERROR "status '${status}', output:\n${said}")
endif()
message(STATUS "${said}")
