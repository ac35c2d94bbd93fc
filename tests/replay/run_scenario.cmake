cmake_minimum_required(VERSION 3.25)
# Runs one replay script in a fresh working folder and compares its output
# with the files beside it: NAME.expected (standard output), optionally
# NAME.stderr (standard error) and NAME.status (exit status, 0 if absent),
# and for every file NAME.FILE.expected the file FILE the session wrote.
get_filename_component(dir ${SCRIPT} DIRECTORY)
get_filename_component(name ${SCRIPT} NAME_WE)
file(REMOVE_RECURSE ${WORKDIR})
file(MAKE_DIRECTORY ${WORKDIR})
if(EXISTS ${dir}/fixtures)
  file(COPY ${dir}/fixtures DESTINATION ${WORKDIR})
endif()
# The example models, as a user opens them.
file(COPY ${dir}/../../examples DESTINATION ${WORKDIR})
execute_process(COMMAND ${REPLAY} ${SCRIPT}
  WORKING_DIRECTORY ${WORKDIR}
  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)

set(expected_status 0)
if(EXISTS ${dir}/${name}.status)
  file(STRINGS ${dir}/${name}.status expected_status LIMIT_COUNT 1)
endif()
if(NOT status EQUAL expected_status)
  message(FATAL_ERROR "exit status ${status}, expected ${expected_status}\nstderr:\n${err}")
endif()

file(READ ${dir}/${name}.expected expected_out)
if(NOT "${out}" STREQUAL "${expected_out}")
  file(WRITE ${WORKDIR}/stdout.actual "${out}")
  message(FATAL_ERROR "standard output differs from ${name}.expected:\n${out}")
endif()
if(EXISTS ${dir}/${name}.stderr)
  file(READ ${dir}/${name}.stderr expected_err)
  string(REPLACE "@SCRIPT@" "${SCRIPT}" expected_err "${expected_err}")
  if(NOT "${err}" STREQUAL "${expected_err}")
    message(FATAL_ERROR "standard error differs from ${name}.stderr:\n${err}")
  endif()
endif()

file(GLOB written_files ${dir}/${name}.*.expected)
foreach(expected_file ${written_files})
  get_filename_component(file_name ${expected_file} NAME)
  string(REGEX REPLACE "^${name}\\.(.*)\\.expected$" "\\1" written ${file_name})
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORKDIR}/${written} ${expected_file}
    RESULT_VARIABLE differs)
  if(differs)
    message(FATAL_ERROR "${written} differs from ${file_name}")
  endif()
endforeach()
