# packed_check(NAME CHECKER_SOURCE GAME_FOLDER ARGS...): packs GAME_FOLDER into NAME.win and adds
# the test NAME, which runs the checker program on the packed file and ARGS.
function(packed_check name source folder)
  set(game ${CMAKE_BINARY_DIR}/${name}.win)
  file(GLOB inputs CONFIGURE_DEPENDS ${folder}/*)
  add_custom_command(OUTPUT ${game}
    COMMAND $<TARGET_FILE:packer> ${folder} ${game}
    DEPENDS packer ${inputs}
    COMMENT "Packing the ${name} test game")
  add_custom_target(${name}_game ALL DEPENDS ${game})
  get_filename_component(checker ${source} NAME_WE)
  add_executable(${checker} ${source})
  target_link_libraries(${checker} PRIVATE engine)
  target_include_directories(${checker} PRIVATE ${CMAKE_CURRENT_FUNCTION_LIST_DIR})
  add_test(NAME ${name} COMMAND ${checker} ${game} ${ARGN})
  set_tests_properties(${name} PROPERTIES TIMEOUT 60)
endfunction()
