# The Windows installer, morbilex-<version>-windows-x86_64.msi in the build
# folder, made by cmake/make_msi.py with Debian's wixl and msibuild (msitools).
# Without them there is no installer target, and its tests are left out.
# Included by src/win32 (the target morbilex_msi) and tests/win32.
find_program(WIXL_PROGRAM wixl)
find_program(MSIBUILD_PROGRAM msibuild)
find_package(Python3 COMPONENTS Interpreter QUIET)
set(MORBILEX_MSI_FOUND OFF)
if(WIXL_PROGRAM AND MSIBUILD_PROGRAM AND Python3_Interpreter_FOUND)
  set(MORBILEX_MSI_FOUND ON)
  set(MORBILEX_MSI_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.0)
  set(MORBILEX_MSI ${CMAKE_BINARY_DIR}/morbilex-${PROJECT_VERSION}-windows-x86_64.msi)
  set(MORBILEX_MSI_COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/cmake/make_msi.py
    --source ${CMAKE_SOURCE_DIR} --program $<TARGET_FILE:morbilex>
    --version ${MORBILEX_MSI_VERSION})
  if(CMAKE_STRIP)
    list(APPEND MORBILEX_MSI_COMMAND --strip ${CMAKE_STRIP})
  endif()
endif()
