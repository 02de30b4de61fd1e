# Packs every question source in data/ into its data file in the program
# folder with the bank tool, so the program always runs with what the sources say.
file(GLOB QUIZDECK_QUESTION_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/data/*.quiz)
set(QUIZDECK_DATA_FILES)
foreach(source IN LISTS QUIZDECK_QUESTION_SOURCES)
  get_filename_component(name ${source} NAME_WE)
  set(packed ${QUIZDECK_PROGRAM_DIR}/${name}.drv)
  add_custom_command(
    OUTPUT ${packed}
    COMMAND quizdeck-bank pack ${source} -o ${packed}
    DEPENDS quizdeck-bank ${source}
    COMMENT "Packing question source ${name}.quiz"
    VERBATIM)
  list(APPEND QUIZDECK_DATA_FILES ${packed})
endforeach()
add_custom_target(question_data ALL DEPENDS ${QUIZDECK_DATA_FILES})
