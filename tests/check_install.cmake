# Installs the build into an empty PREFIX and checks what a desktop needs: the program, the
# icon, the MIME type of *.cnt, and a desktop entry of key=value lines under its group with
# the keys an application needs, launching the program on a file of that type.
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE failed OUTPUT_QUIET)
set(share ${PREFIX}/share)
foreach(path bin/tambra share/icons/hicolor/scalable/apps/tambra.svg
        share/mime/packages/tambra.xml share/applications/tambra.desktop)
  if(failed OR NOT EXISTS ${PREFIX}/${path})
    message(FATAL_ERROR "not installed: ${path}")
  endif()
endforeach()
# Semicolons stand as <semicolon> while the text is a CMake list of lines.
file(READ ${share}/applications/tambra.desktop text)
string(REPLACE ";" "<semicolon>" text "${text}")
string(REPLACE "\n" ";" lines "${text}")
list(POP_FRONT lines group)
foreach(line IN LISTS lines)
  if(line MATCHES "^(#.*)?$")
    continue()
  elseif(NOT line MATCHES "^([A-Za-z0-9-]+)=(.*)$")
    message(FATAL_ERROR "not a key=value line in the desktop entry: \"${line}\"")
  endif()
  string(REPLACE "<semicolon>" ";" ${CMAKE_MATCH_1} "${CMAKE_MATCH_2}")
endforeach()
file(READ ${share}/mime/packages/tambra.xml types)
string(REGEX MATCH "<mime-type type=\"([^\"]+)\">.*<glob pattern=\"\\*\\.cnt\"" found "${types}")
if(NOT group STREQUAL "[Desktop Entry]" OR NOT Type STREQUAL "Application" OR NOT Name
   OR NOT Exec STREQUAL "tambra %f" OR NOT Icon STREQUAL "tambra" OR NOT Categories MATCHES ";$"
   OR NOT found OR NOT MimeType STREQUAL "${CMAKE_MATCH_1};")
  message(FATAL_ERROR "the desktop entry lacks a key, or its Type, Exec, Icon or MimeType "
                      "(${MimeType}) are not those of the program and its files")
endif()
