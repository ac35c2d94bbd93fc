cmake_minimum_required(VERSION 3.25)
# The layers see one another only through their include roots (see the
# top-level CMakeLists.txt). An include that climbs out of its folder with
# ".." reaches a neighbour's file by path and walks through that wall, so
# every such line in the sources fails this check, with its file and text.
#
#   cmake -DSOURCE_DIR=<repository> -P check_include_wall.cmake
if(NOT SOURCE_DIR)
  message(FATAL_ERROR "SOURCE_DIR is not set")
endif()

set(folders numeric resources base bezier rational spline surface app qt tools
            bench fuzz tests)
set(patterns)
foreach(folder ${folders})
  foreach(extension cpp cc h hpp inc)
    list(APPEND patterns ${SOURCE_DIR}/${folder}/*.${extension})
  endforeach()
endforeach()
file(GLOB_RECURSE sources ${patterns})

# A ".." segment anywhere in the included path, quoted or bracketed.
set(climbing "^[ \t]*#[ \t]*include[ \t]*[\"<]([^\">]*[/\\\\])?\\.\\.([/\\\\]|[\">])")
set(found "")
foreach(source ${sources})
  file(STRINGS ${source} lines REGEX "${climbing}")
  foreach(line ${lines})
    file(RELATIVE_PATH name ${SOURCE_DIR} ${source})
    string(STRIP "${line}" line)
    string(APPEND found "\n  ${name}: ${line}")
  endforeach()
endforeach()

list(LENGTH sources count)
if(count EQUAL 0)
  message(FATAL_ERROR "no sources found under ${SOURCE_DIR}")
endif()
if(found)
  message(FATAL_ERROR "includes that climb out of their folder "
                      "(include from the layer root instead, \"base/...\"):${found}")
endif()
message(STATUS "${count} files, no include climbs out of its folder")
