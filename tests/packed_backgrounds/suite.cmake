# A game folder with background images is packed, and the runner's loader reads the backgrounds
# back from their texture pages: names, flags, sizes and pixels.
include(${CMAKE_CURRENT_LIST_DIR}/../packed_check/packed_check.cmake)
packed_check(packed_backgrounds ${CMAKE_CURRENT_LIST_DIR}/check_packed_backgrounds.cpp
             ${CMAKE_CURRENT_LIST_DIR}/game ${CMAKE_CURRENT_LIST_DIR}/game)
