# Tests of the Linux program: QTest on the offscreen platform, one program per
# area, and one run on a virtual X display whose screenshots stay in
# ${CMAKE_CURRENT_BINARY_DIR}/screenshots.
add_library(morbilex_program_test_support STATIC
  ${CMAKE_CURRENT_SOURCE_DIR}/program_test_support.cpp)
target_include_directories(morbilex_program_test_support PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(morbilex_program_test_support PUBLIC morbilex_qt_program Qt6::Test)

foreach(area window dialogs printing locale explorer)
  add_executable(program_${area}_test ${CMAKE_CURRENT_SOURCE_DIR}/program_${area}_test.cpp)
  set_target_properties(program_${area}_test PROPERTIES AUTOMOC ON)
  target_link_libraries(program_${area}_test PRIVATE morbilex_program_test_support)
  add_test(NAME program_${area} COMMAND program_${area}_test)
  set_tests_properties(program_${area} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 120)
endforeach()
# The explorer's exports against morbilex-batch's, and the shipped example.
target_compile_definitions(program_explorer_test PRIVATE
  MORBILEX_BATCH_PROGRAM="$<TARGET_FILE:morbilex-batch>"
  MORBILEX_EXAMPLES="${CMAKE_SOURCE_DIR}/examples")
add_dependencies(program_explorer_test morbilex-batch)
# The sweep window's values against morbilex-batch's rows of the same sweep.
add_executable(program_sweep_test ${CMAKE_CURRENT_SOURCE_DIR}/program_sweep_test.cpp)
set_target_properties(program_sweep_test PROPERTIES AUTOMOC ON)
target_link_libraries(program_sweep_test PRIVATE morbilex_program_test_support)
target_compile_definitions(program_sweep_test PRIVATE
  MORBILEX_BATCH_PROGRAM="$<TARGET_FILE:morbilex-batch>")
add_dependencies(program_sweep_test morbilex-batch)
add_test(NAME program_sweep COMMAND program_sweep_test)
set_tests_properties(program_sweep PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 120)
# Qt takes the C library's locale from the environment; numbers must not.
set_tests_properties(program_locale PROPERTIES
  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=de_DE.UTF-8")
# The sliders' values pass through text; a decimal comma must not reach them.
set_tests_properties(program_explorer PROPERTIES
  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=de_DE.UTF-8")

add_test(NAME program_screenshots
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/program_screenshots.sh
          $<TARGET_FILE:morbilex> ${CMAKE_CURRENT_BINARY_DIR}/screenshots)
set_tests_properties(program_screenshots PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 600)

add_test(NAME program_command_line
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/program_command_line.sh $<TARGET_FILE:morbilex>)
set_tests_properties(program_command_line PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 60)

add_test(NAME install_tree
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/install_tree.sh ${CMAKE_BINARY_DIR})
set_tests_properties(install_tree PROPERTIES TIMEOUT 60)
