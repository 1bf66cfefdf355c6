# Runs chmcmd on the help project and copies the result to OUTPUT.
#   cmake -DCHMCMD=... -DPROJECT_FILE=....hhp -DWORK_DIR=... -DOUTPUT=....chm -P compile_help.cmake
# chmcmd reports missing files and broken links only as warnings and its exit code is not
# reliable, so any warning or error line fails the build: the help must compile clean.
foreach(var CHMCMD PROJECT_FILE WORK_DIR OUTPUT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "compile_help.cmake: ${var} is not set")
  endif()
endforeach()

get_filename_component(chm_name ${OUTPUT} NAME)
set(compiled ${WORK_DIR}/${chm_name})
file(REMOVE ${compiled})

execute_process(
  COMMAND ${CHMCMD} ${PROJECT_FILE}
  WORKING_DIRECTORY ${WORK_DIR}
  RESULT_VARIABLE result
  OUTPUT_VARIABLE out
  ERROR_VARIABLE err
)
set(log "${out}${err}")
if(NOT result EQUAL 0 OR log MATCHES "(Warning|Error|error|exception|Can't)")
  message(FATAL_ERROR "chmcmd failed (exit ${result}):\n${log}")
endif()
if(NOT EXISTS ${compiled})
  message(FATAL_ERROR "chmcmd wrote no ${chm_name}:\n${log}")
endif()

get_filename_component(output_dir ${OUTPUT} DIRECTORY)
file(MAKE_DIRECTORY ${output_dir})
execute_process(COMMAND ${CMAKE_COMMAND} -E copy ${compiled} ${OUTPUT} RESULT_VARIABLE copied)
if(NOT copied EQUAL 0)
  message(FATAL_ERROR "could not copy ${compiled} to ${OUTPUT}")
endif()
