# Fonts made by face name, in the runner on the tests' display: the packed game measures and draws
# DejaVu Sans (fonts-dejavu-core) and reads its pixels back; the checker runs it and compares its
# measures with those FreeType itself gives for that face.
include(${CMAKE_CURRENT_LIST_DIR}/../packed_check/packed_check.cmake)
packed_check(system_fonts ${CMAKE_CURRENT_LIST_DIR}/check_system_fonts.cpp ${CMAKE_CURRENT_LIST_DIR}/game
             $<TARGET_FILE:runner> ${CMAKE_CURRENT_LIST_DIR}/expected.txt)
