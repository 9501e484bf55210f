# A game folder with sprite strips is packed, and the runner's loader reads the sprites back from
# their texture pages: sizes, origins, boxes, masks and frame pixels.
include(${CMAKE_CURRENT_LIST_DIR}/../packed_check/packed_check.cmake)
packed_check(packed_sprites ${CMAKE_CURRENT_LIST_DIR}/check_packed_sprites.cpp
             ${CMAKE_CURRENT_LIST_DIR}/game ${CMAKE_CURRENT_LIST_DIR}/game/strip.png)
