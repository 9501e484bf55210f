# Sound tests on OpenAL Soft's wave back end: the sound_tests program sets ALSOFT_DRIVERS and
# ALSOFT_CONF for itself (a recording file of its own per process) and measures what was played.
# Its games (games/<name>/ with game.json) are packed at build time after their sounds are made
# by the tone tool from games/<name>/tones.txt (lines: FILE FREQUENCY SECONDS [CHANNELS]); the
# tests run them with the runner and compare standard output with expected.txt.
set(sound_games_dir ${CMAKE_BINARY_DIR}/sound_games)
file(GLOB sound_game_descriptions CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/games/*/game.json)
set(sound_game_targets)
foreach(description ${sound_game_descriptions})
  get_filename_component(folder ${description} DIRECTORY)
  get_filename_component(name ${folder} NAME)
  set(work ${sound_games_dir}/${name})
  file(GLOB_RECURSE inputs CONFIGURE_DEPENDS ${folder}/*)
  set(commands COMMAND ${CMAKE_COMMAND} -E rm -rf ${work}
               COMMAND ${CMAKE_COMMAND} -E copy_directory ${folder} ${work}/source)
  if(EXISTS ${folder}/tones.txt)
    file(STRINGS ${folder}/tones.txt tones)
    foreach(line ${tones})
      separate_arguments(args UNIX_COMMAND "${line}")
      list(GET args 0 file)
      get_filename_component(dir ${work}/source/${file} DIRECTORY)
      list(APPEND commands COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
                           COMMAND $<TARGET_FILE:tone> ${work}/source/${args})
    endforeach()
  endif()
  add_custom_command(OUTPUT ${work}/data.win
    ${commands}
    COMMAND $<TARGET_FILE:packer> ${work}/source ${work}/data.win
    DEPENDS packer tone ${inputs}
    COMMENT "Packing sound game ${name}")
  add_custom_target(sound_game_${name} ALL DEPENDS ${work}/data.win)
  list(APPEND sound_game_targets sound_game_${name})
endforeach()

file(GLOB SOUND_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.cpp)
add_executable(sound_tests ${SOUND_TEST_SOURCES})
target_link_libraries(sound_tests PRIVATE engine GTest::gtest)
target_compile_definitions(sound_tests PRIVATE SOUND_GAMES_DIR="${sound_games_dir}" SOUND_SOURCE_DIR="${CMAKE_CURRENT_LIST_DIR}"
                           RUNNER_PATH="$<TARGET_FILE:runner>" TONE_PATH="$<TARGET_FILE:tone>")
add_dependencies(sound_tests runner tone ${sound_game_targets})
# They play in real time: alone, so that other tests do not starve the mixing threads.
gtest_discover_tests(sound_tests DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120 LABELS sound RUN_SERIAL TRUE)
