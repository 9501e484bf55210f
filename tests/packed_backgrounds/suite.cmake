# A game folder with background images is packed, and the runner's loader reads the backgrounds
# back from their texture pages: names, flags, sizes and pixels.
set(packed_game ${CMAKE_BINARY_DIR}/packed_backgrounds.win)
file(GLOB packed_inputs CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/game/*)
add_custom_command(OUTPUT ${packed_game}
  COMMAND $<TARGET_FILE:packer> ${CMAKE_CURRENT_LIST_DIR}/game ${packed_game}
  DEPENDS packer ${packed_inputs}
  COMMENT "Packing the background test game")
add_custom_target(packed_backgrounds_game ALL DEPENDS ${packed_game})
add_executable(check_packed_backgrounds ${CMAKE_CURRENT_LIST_DIR}/check_packed_backgrounds.cpp)
target_link_libraries(check_packed_backgrounds PRIVATE engine)
add_test(NAME packed_backgrounds COMMAND check_packed_backgrounds ${packed_game}
         ${CMAKE_CURRENT_LIST_DIR}/game)
set_tests_properties(packed_backgrounds PROPERTIES TIMEOUT 60)
