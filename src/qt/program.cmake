# The Linux desktop program: the main window with its menus and shortcuts, the
# editing dialogs, the message boxes and printing. The library holds everything
# but the entry point, so the tests drive the same code.
add_library(morbilex_qt_program STATIC
  ${CMAKE_CURRENT_SOURCE_DIR}/chart_view.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/editing_dialog.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/fit_dialog.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/main_window.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/plan_window.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/sweep_window.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/guide_pictures.qrc
  ${CMAKE_CURRENT_SOURCE_DIR}/printing.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/program_icon.qrc
  ${CMAKE_CURRENT_SOURCE_DIR}/program_start.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/result_files.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/scenario_commands.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/termination_signals.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/tornado_view.cpp)
set_target_properties(morbilex_qt_program PROPERTIES AUTORCC ON)
target_compile_definitions(morbilex_qt_program PUBLIC MORBILEX_VERSION="${PROJECT_VERSION}")
target_include_directories(morbilex_qt_program PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(morbilex_qt_program PUBLIC
  morbilex_core morbilex_explore morbilex_picture morbilex_compressed_output Qt6::Widgets
  Qt6::PrintSupport)

add_executable(morbilex ${CMAKE_CURRENT_SOURCE_DIR}/main.cpp)
target_link_libraries(morbilex PRIVATE morbilex_qt_program)
