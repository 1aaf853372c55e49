# The release: what `cmake --install` lays out, the Windows exe's version resource and manifest,
# and the packages CPack makes (scripts/package): a Debian package from a Linux build, a ZIP
# from a Windows build. Included at the end of the top CMakeLists.txt, once `sumquill` exists.
include(GNUInstallDirs)

set(SUMQUILL_MAINTAINER "The Sumquill authors <authors@sumquill.example>")
set(SUMQUILL_HOMEPAGE "http://www.sumquill.example/")

if(WIN32)
  # What Windows shows in the exe's properties, and a manifest that asks for no elevation.
  enable_language(RC)
  set(SUMQUILL_MANIFEST ${PROJECT_BINARY_DIR}/generated/sumquill.manifest)
  configure_file(src/run/sumquill.manifest.in ${SUMQUILL_MANIFEST} @ONLY)
  configure_file(src/run/sumquill.rc.in ${PROJECT_BINARY_DIR}/generated/sumquill.rc @ONLY)
  target_sources(sumquill PRIVATE ${PROJECT_BINARY_DIR}/generated/sumquill.rc)
  set_property(SOURCE ${PROJECT_BINARY_DIR}/generated/sumquill.rc APPEND PROPERTY
               OBJECT_DEPENDS ${SUMQUILL_MANIFEST})
  if(MSVC)
    # The manifest comes from the resource; the linker's own would be a second one of ID 1.
    target_link_options(sumquill PRIVATE /MANIFEST:NO)
  endif()

  # A ZIP unpacked by hand: the exe and its two texts side by side.
  install(TARGETS sumquill RUNTIME DESTINATION .)
  install(FILES README.md DESTINATION .)
  install(FILES LICENSE DESTINATION . RENAME LICENSE.txt)
  set(CPACK_GENERATOR ZIP)
else()
  configure_file(docs/sumquill.1.in ${PROJECT_BINARY_DIR}/sumquill.1 @ONLY)
  install(TARGETS sumquill RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT program)
  install(FILES ${PROJECT_BINARY_DIR}/sumquill.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
          COMPONENT docs)
  install(FILES README.md LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT docs)

  # The Debian package holds the program and the documents in the form Debian wants: the manual
  # page and the changelog compressed (gzip -9n, so that the same sources give the same bytes),
  # the licence as its copyright file. This component stays out of a plain `cmake --install`.
  set(debian ${PROJECT_BINARY_DIR}/debian)
  file(READ ${PROJECT_SOURCE_DIR}/LICENSE licence)
  file(WRITE ${debian}/copyright "Sumquill, packaged for Debian by its authors.\n\n${licence}")
  find_program(SUMQUILL_GZIP gzip)
  if(SUMQUILL_GZIP)
    add_custom_command(
      OUTPUT ${debian}/sumquill.1.gz ${debian}/changelog.gz
      COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_BINARY_DIR}/sumquill.1
              ${PROJECT_SOURCE_DIR}/cmake/debian/changelog ${debian}
      COMMAND ${SUMQUILL_GZIP} -9nf ${debian}/sumquill.1 ${debian}/changelog
      DEPENDS ${PROJECT_BINARY_DIR}/sumquill.1 ${PROJECT_SOURCE_DIR}/cmake/debian/changelog
      COMMENT "Compressing the manual page and the changelog for the Debian package")
    add_custom_target(sumquill_debian_docs ALL
                      DEPENDS ${debian}/sumquill.1.gz ${debian}/changelog.gz)
    install(FILES ${debian}/sumquill.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
            COMPONENT debian EXCLUDE_FROM_ALL)
    install(FILES ${debian}/copyright ${debian}/changelog.gz README.md
            DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT debian EXCLUDE_FROM_ALL)
  endif()

  # Elsewhere (built from the same sources, not tested here) a plain archive of the install.
  set(CPACK_GENERATOR TGZ)
  if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
    set(CPACK_GENERATOR DEB)
  endif()
  # The Debian package: one package of the program and the Debian documents.
  set(CPACK_DEB_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
  set(CPACK_COMPONENTS_ALL program debian)
endif()

set(CPACK_PACKAGE_NAME sumquill)
set(CPACK_PACKAGE_VENDOR "The Sumquill authors")
set(CPACK_PACKAGE_CONTACT "${SUMQUILL_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "spreadsheet formulas of a per-group summary, through a console dialogue")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${SUMQUILL_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${SUMQUILL_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The extended description; CPack puts the summary above it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Sumquill asks about a table in MS Excel or LibreOffice Calc through a short
console dialogue of single-key menus and typed answers, and writes the nine
formulas of a per-group summary (group totals, one line per group under the
table), with where to paste them, into a text and an HTML report.
.
It must run in a folder of its own: it writes scratch files there and
deletes every check_*.txt file in it. Input from a pipe or a file is read as
a script.")

include(CPack)
