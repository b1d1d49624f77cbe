# Tests of the painter surface and chart export, on the offscreen platform.
file(GLOB painter_test_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/painter_*_test.cpp)
if(painter_test_sources)
  add_executable(painter_tests ${painter_test_sources})
  target_link_libraries(painter_tests PRIVATE morbilex_painter morbilex_test_support Qt6::Gui)
  add_test(NAME painter_tests COMMAND painter_tests)
  set_tests_properties(painter_tests PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endif()
