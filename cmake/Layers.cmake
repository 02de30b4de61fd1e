# The program's layers, each a static library that sees only its own headers
# and those of the layers it links.
#
# A layer's headers are offered to the compiler through a folder of its own in
# the build tree that holds links to just those headers, under their usual
# names ("shell/Failure.h", "bank/QuestionFile.h" ...). A layer links only the
# layers below it, so it finds only their folders: including a header of a
# layer above, or of a layer beside it, is "file not found", and the build stops.
function(quizdeck_layer name)
  cmake_parse_arguments(LAYER "" "" "SOURCES;LINK" ${ARGN})
  set(view ${CMAKE_BINARY_DIR}/layers/${name})
  file(REMOVE_RECURSE ${view})
  set(compiled)
  foreach(source IN LISTS LAYER_SOURCES)
    if(source MATCHES "\\.h$")
      get_filename_component(folder ${view}/${source} DIRECTORY)
      file(MAKE_DIRECTORY ${folder})
      file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${source} ${view}/${source} SYMBOLIC)
    endif()
    list(APPEND compiled ${CMAKE_SOURCE_DIR}/${source})
  endforeach()
  add_library(${name} STATIC ${compiled})
  target_include_directories(${name} PUBLIC ${view})
  target_link_libraries(${name} PUBLIC ${LAYER_LINK})
endfunction()
