cmake_minimum_required(VERSION 3.25)
# The numeric library and the families keep nothing between calls: what a
# display reuses lives in the window's display cache, what a kernel
# overwrites is handed to it. A variable they define at namespace scope or
# as a function-local static lands in a writable data section of their
# library (one made at run time too, with the guard of its first use, even
# when it is const: make it constexpr or build it where it is used); every
# such object fails this check, with its object file and symbol.
#
#   cmake -DOBJDUMP=<objdump> -DLIBRARIES=<a.a;b.a;...> -P check_family_state.cmake
if(NOT OBJDUMP OR NOT LIBRARIES)
  message(FATAL_ERROR "OBJDUMP and LIBRARIES must be set")
endif()

set(found "")
foreach(library ${LIBRARIES})
  execute_process(COMMAND ${OBJDUMP} -t ${library} OUTPUT_VARIABLE table RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "${OBJDUMP} cannot read ${library}")
  endif()
  string(REPLACE ";" "," table "${table}")
  string(REPLACE "\n" ";" lines "${table}")
  set(member "")
  foreach(line ${lines})
    if(line MATCHES "^([^ ]+\\.o): +file format")
      set(member ${CMAKE_MATCH_1})
    # An object (flag O) of the program's own (a C++ name, not the guard
    # named after it) in .bss, .data or .data.rel.local; .data.rel.ro holds
    # the constant tables that need relocations.
    elseif(line MATCHES "^[0-9a-f]+ ......O (\\.t?bss|\\.t?data)([^\t]*)\t[0-9a-f]+ (.*)$")
      set(section ${CMAKE_MATCH_2})
      string(REGEX REPLACE "^.* " "" symbol "${CMAKE_MATCH_3}")  # after ".hidden"
      if(NOT section MATCHES "^\\.rel\\.ro" AND symbol MATCHES "^_Z" AND NOT symbol MATCHES "^_ZGV")
        get_filename_component(name ${library} NAME)
        string(APPEND found "\n  ${name}(${member}): ${symbol}")
      endif()
    endif()
  endforeach()
endforeach()

if(found)
  message(FATAL_ERROR "state kept below the window (pass it in from the window's "
                      "display cache or the command's scratch instead):${found}")
endif()
list(LENGTH LIBRARIES count)
message(STATUS "${count} libraries, no state of their own")
