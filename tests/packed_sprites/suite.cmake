# A game folder with sprite strips is packed, and the runner's loader reads the sprites back from
# their texture pages: sizes, origins, boxes, masks and frame pixels.
set(packed_sprites_game ${CMAKE_BINARY_DIR}/packed_sprites.win)
file(GLOB packed_sprites_inputs CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/game/*)
add_custom_command(OUTPUT ${packed_sprites_game}
  COMMAND $<TARGET_FILE:packer> ${CMAKE_CURRENT_LIST_DIR}/game ${packed_sprites_game}
  DEPENDS packer ${packed_sprites_inputs}
  COMMENT "Packing the sprite test game")
add_custom_target(packed_sprites_game ALL DEPENDS ${packed_sprites_game})
add_executable(check_packed_sprites ${CMAKE_CURRENT_LIST_DIR}/check_packed_sprites.cpp)
target_link_libraries(check_packed_sprites PRIVATE engine)
add_test(NAME packed_sprites COMMAND check_packed_sprites ${packed_sprites_game}
         ${CMAKE_CURRENT_LIST_DIR}/game/strip.png)
set_tests_properties(packed_sprites PROPERTIES TIMEOUT 60)
