# Test games: each folder under tests/games/ with a game.json is packed at build time and run
# headless by the runner (in a window when the folder holds a file named "windowed", with the
# switches listed in a file named "switches"); its debug console output must equal expected.txt.
# A folder holding a file named "both_engines" is also run on the tree interpreter (-oldexec).
# A folder holding "memory_cap" runs under that cap on the address space; under AddressSanitizer,
# which reserves terabytes of it for its shadow memory, such a game is skipped.

# Packs FOLDER into ${CMAKE_BINARY_DIR}/games/NAME.win when the packer or a file of the folder changes.
function(runner_pack_game NAME FOLDER)
  file(GLOB_RECURSE inputs CONFIGURE_DEPENDS ${FOLDER}/*)
  set(out ${CMAKE_BINARY_DIR}/games/${NAME}.win)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/games
    COMMAND $<TARGET_FILE:packer> ${FOLDER} ${out}
    DEPENDS packer ${inputs}
    COMMENT "Packing game ${NAME}")
  add_custom_target(game_${NAME} ALL DEPENDS ${out})
endfunction()

file(GLOB game_descriptions CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*/game.json)
foreach(description ${game_descriptions})
  get_filename_component(folder ${description} DIRECTORY)
  get_filename_component(name ${folder} NAME)
  runner_pack_game(${name} ${folder})
  set(windowed 0)
  if(EXISTS ${folder}/windowed)
    set(windowed 1)
  endif()
  if(RUNNER_SANITIZE AND EXISTS ${folder}/memory_cap)
    add_test(NAME game.${name} COMMAND ${CMAKE_COMMAND} -E echo
      "Skipped: AddressSanitizer reserves more address space than the memory cap allows.")
    set_tests_properties(game.${name} PROPERTIES SKIP_REGULAR_EXPRESSION "Skipped:")
    continue()
  endif()
  add_test(NAME game.${name}
    COMMAND ${CMAKE_COMMAND} -DRUNNER=$<TARGET_FILE:runner> -DGAME=${CMAKE_BINARY_DIR}/games/${name}.win
            -DFOLDER=${folder} -DWINDOWED=${windowed} -P ${CMAKE_CURRENT_LIST_DIR}/run_game.cmake)
  set_tests_properties(game.${name} PROPERTIES TIMEOUT 60)
  if(EXISTS ${folder}/both_engines)
    add_test(NAME game.${name}.oldexec
      COMMAND ${CMAKE_COMMAND} -DRUNNER=$<TARGET_FILE:runner> -DGAME=${CMAKE_BINARY_DIR}/games/${name}.win
              -DFOLDER=${folder} -DWINDOWED=${windowed} -DSWITCHES=-oldexec -P ${CMAKE_CURRENT_LIST_DIR}/run_game.cmake)
    set_tests_properties(game.${name}.oldexec PROPERTIES TIMEOUT 60)
  endif()
endforeach()

# A file that is not a game data file is refused with a clear message.
add_test(NAME game.damaged_file
  COMMAND ${CMAKE_COMMAND} -DRUNNER=$<TARGET_FILE:runner> -DGAME=${CMAKE_CURRENT_LIST_DIR}/damaged/README
          -DFOLDER=${CMAKE_CURRENT_LIST_DIR}/damaged -P ${CMAKE_CURRENT_LIST_DIR}/run_game.cmake)
set_tests_properties(game.damaged_file PROPERTIES TIMEOUT 60)
