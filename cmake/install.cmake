# What `cmake --install` puts where, and the packages cpack makes of it: a
# .deb of the Linux programs, a .zip of the Windows program.
include(GNUInstallDirs)

set(MORBILEX_LINUX_FILES ${CMAKE_SOURCE_DIR}/resources/linux)
set(MORBILEX_ICONS ${CMAKE_SOURCE_DIR}/resources/icons)

if(WIN32)
  if(TARGET morbilex)
    install(TARGETS morbilex RUNTIME DESTINATION .)
  endif()
  install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION .)
  install(FILES ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME windows-x86_64)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
  # The programs are the package morbilex; the Python module (src/python) is
  # python3-morbilex.
  set(CMAKE_INSTALL_DEFAULT_COMPONENT_NAME programs)
  foreach(program morbilex morbilex-batch)
    if(TARGET ${program})
      install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    endif()
  endforeach()

  # Manual pages and the changelog are installed compressed, without time
  # stamps, so that the same sources give the same package.
  set(compressed_files)
  foreach(file morbilex.1 morbilex-batch.1 changelog)
    add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/${file}.gz
      COMMAND gzip -9nc ${MORBILEX_LINUX_FILES}/${file} > ${CMAKE_BINARY_DIR}/${file}.gz
      DEPENDS ${MORBILEX_LINUX_FILES}/${file} VERBATIM)
    list(APPEND compressed_files ${CMAKE_BINARY_DIR}/${file}.gz)
  endforeach()
  add_custom_target(morbilex_compressed_docs ALL DEPENDS ${compressed_files})
  install(FILES ${CMAKE_BINARY_DIR}/morbilex.1.gz ${CMAKE_BINARY_DIR}/morbilex-batch.1.gz
          DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

  install(FILES ${MORBILEX_LINUX_FILES}/org.morbilex.Morbilex.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${MORBILEX_LINUX_FILES}/org.morbilex.Morbilex.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  # Scenario files (.morbilex) as a file type of their own, opened by the program.
  install(FILES ${MORBILEX_LINUX_FILES}/org.morbilex.Morbilex.mime.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
          RENAME org.morbilex.Morbilex.xml)
  install(FILES ${MORBILEX_ICONS}/morbilex.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  foreach(size 16 32 48 64 128 256)
    install(FILES ${MORBILEX_ICONS}/morbilex-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME morbilex.png)
  endforeach()
  install(FILES ${CMAKE_SOURCE_DIR}/README.md ${MORBILEX_LINUX_FILES}/copyright
                ${CMAKE_BINARY_DIR}/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/morbilex)

  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION science)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS fonts-dejavu-core)
  set(CPACK_DEB_COMPONENT_INSTALL ON)
  set(CPACK_DEBIAN_PROGRAMS_PACKAGE_NAME morbilex)
  if(TARGET morbilex_python)
    install(FILES ${MORBILEX_LINUX_FILES}/copyright ${CMAKE_BINARY_DIR}/changelog.gz
            DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/python3-morbilex COMPONENT python)
    set(CPACK_DEBIAN_PYTHON_PACKAGE_NAME python3-morbilex)
    set(CPACK_DEBIAN_PYTHON_PACKAGE_SECTION python)
    # The extension is for the one Python version it was built against.
    math(EXPR python_next "${Python_VERSION_MINOR} + 1")
    set(CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS "python3 (>= ${Python_VERSION_MAJOR}.\
${Python_VERSION_MINOR}), python3 (<< ${Python_VERSION_MAJOR}.${python_next}), python3-numpy")
    set(CPACK_DEBIAN_PYTHON_PACKAGE_RECOMMENDS "python3-pandas")
    set(CPACK_DEBIAN_PYTHON_DESCRIPTION
        "The Python 3 module morbilex runs the Morbilex SEIR model: single runs with\n\
their curves as NumPy arrays, their summary and trace, and sweeps of many\n\
scenarios on the vectorised lanes, with the summary rows as a pandas\n\
DataFrame, equal to the rows morbilex-batch writes.")
  endif()
endif()

set(CPACK_PACKAGE_NAME morbilex)
set(CPACK_PACKAGE_VENDOR "The Morbilex developers")
set(CPACK_PACKAGE_CONTACT "Morbilex developers <morbilex@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "SEIR epidemic model with interventions")
set(CPACK_PACKAGE_DESCRIPTION
    "Morbilex computes how an infectious disease spreads under a deterministic SEIR\n\
model and how reductions of transmission (one-time windows or an intermittent\n\
reduction driven by the number of infectious persons) change the epidemic\n\
curve. It shows the chart in a desktop window, prints and exports it, and\n\
keeps the step-by-step trace; morbilex-batch runs the model from scripts.")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_IGNORE_FILES "/build[^/]*/" "/\\\\.git/")
# Each Debian package's description: the summary above, then its own text.
set(CPACK_DEBIAN_PROGRAMS_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
include(CPack)
