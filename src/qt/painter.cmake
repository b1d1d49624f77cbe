# The painter surface and chart export, shared by the Qt program and the batch tool,
# and the pictures of sweeps.
add_library(morbilex_painter STATIC
  ${CMAKE_CURRENT_LIST_DIR}/painter_surface.cpp
  ${CMAKE_CURRENT_LIST_DIR}/painter_surface.h
  ${CMAKE_CURRENT_LIST_DIR}/chart_export.cpp
  ${CMAKE_CURRENT_LIST_DIR}/chart_export.h
  ${CMAKE_CURRENT_LIST_DIR}/offscreen_application.cpp
  ${CMAKE_CURRENT_LIST_DIR}/offscreen_application.h
  ${CMAKE_CURRENT_LIST_DIR}/sweep_chart.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sweep_chart.h)
target_link_libraries(morbilex_painter PUBLIC morbilex_core Qt6::Gui Qt6::Svg)
target_include_directories(morbilex_painter PUBLIC ${CMAKE_SOURCE_DIR}/src)
