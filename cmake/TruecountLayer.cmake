# truecount_layer(NAME SOURCES files... [BENEATH layers...] [LINKS libraries...])
#
# One static library per layer folder, linking only the layers BENEATH it (and
# outside libraries, LINKS). A program of its own links every object of the
# layer with just those, so a call that runs back up to a higher layer fails
# the build at link time; tests/test_layers.py checks the includes, header-only
# ones too, against the same BENEATH lists.
function(truecount_layer name)
  cmake_parse_arguments(PARSE_ARGV 1 LAYER "" "" "SOURCES;BENEATH;LINKS")
  add_library(${name} STATIC ${LAYER_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${LAYER_BENEATH} ${LAYER_LINKS})
  add_executable(${name}_link_check ${PROJECT_SOURCE_DIR}/cmake/link_check.cpp)
  target_link_libraries(${name}_link_check PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,${name}>")
endfunction()
