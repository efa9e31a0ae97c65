# A game built with a picture that cannot be decoded reports it, naming the
# picture, and ends with a failure status.
execute_process(
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ${GAME}
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 30)
if(NOT status STREQUAL "1" OR NOT out MATCHES "message box: ポロメア \\| ゲームを開始できません。.*part3")
    message(FATAL_ERROR "status '${status}', output:\n${out}\n${err}")
endif()
message(STATUS "${out}")
