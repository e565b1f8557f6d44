# What a build installs and packs. Windows: a zip of the exes, the README and
# LICENSE, and the manuals as text, since Windows has no man. Linux: the
# programs in bin (portdump-list needs no root, so not sbin), the manuals,
# the README and LICENSE; packed as a .deb and as a tarball of the same
# layout for other distributions.
set(manuals portdump portdump-decode portdump-list)
set(programs portdump portdump-decode portdump-list)

if(WIN32)
  # Rendered at build time: plain ASCII with CRLF line ends, which even
  # Windows 2000's Notepad shows.
  find_program(GROFF groff REQUIRED)
  foreach(manual ${manuals})
    set(text ${CMAKE_CURRENT_BINARY_DIR}/${manual}.txt)
    add_custom_command(OUTPUT ${text}
                       COMMAND sh -c "${GROFF} -man -Tascii -P-cbou \"$1\" | sed 's/$/\\r/' >\"$2\"" sh
                               ${PROJECT_SOURCE_DIR}/man/${manual}.1 ${text}
                       DEPENDS ${PROJECT_SOURCE_DIR}/man/${manual}.1 VERBATIM)
    list(APPEND manual_texts ${text})
  endforeach()
  add_custom_target(manual_texts ALL DEPENDS ${manual_texts})
  install(TARGETS ${programs} RUNTIME DESTINATION .)
  install(FILES README.md LICENSE ${manual_texts} DESTINATION .)
  # Its own name: including CPack leaves the source package's name in
  # CPACK_PACKAGE_FILE_NAME.
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(PORTDUMP_PACKAGE portdump-${PROJECT_VERSION}-win64)
  else()
    set(PORTDUMP_PACKAGE portdump-${PROJECT_VERSION}-win32)
  endif()
  set(CPACK_PACKAGE_FILE_NAME ${PORTDUMP_PACKAGE})
  set(CPACK_GENERATOR ZIP)
  include(CPack)
elseif(PORTDUMP_PLATFORM STREQUAL "linux")
  include(GNUInstallDirs)
  set(doc ${CMAKE_INSTALL_DATADIR}/doc/portdump)
  # Debian keeps manuals and changelogs compressed, without a time stamp.
  foreach(manual ${manuals})
    set(packed ${CMAKE_CURRENT_BINARY_DIR}/${manual}.1.gz)
    add_custom_command(OUTPUT ${packed}
                       COMMAND sh -c "gzip -9nc \"$1\" >\"$2\"" sh ${PROJECT_SOURCE_DIR}/man/${manual}.1 ${packed}
                       DEPENDS ${PROJECT_SOURCE_DIR}/man/${manual}.1 VERBATIM)
    list(APPEND packed_manuals ${packed})
  endforeach()
  # The licence's one text, in Debian's copyright format.
  set(copyright ${CMAKE_CURRENT_BINARY_DIR}/copyright)
  add_custom_command(OUTPUT ${copyright}
                     COMMAND sh -c "{ cat \"$1\"; sed -n '5,$s/^$/./; 5,$s/^/ /p' \"$2\"; } >\"$3\"" sh
                             ${PROJECT_SOURCE_DIR}/packaging/copyright-header ${PROJECT_SOURCE_DIR}/LICENSE ${copyright}
                     DEPENDS ${PROJECT_SOURCE_DIR}/packaging/copyright-header ${PROJECT_SOURCE_DIR}/LICENSE VERBATIM)
  # Its newest entry is the release the build states.
  file(STRINGS packaging/changelog newest LIMIT_COUNT 1)
  if(NOT newest MATCHES "^portdump \\(${PROJECT_VERSION}\\) ")
    message(FATAL_ERROR "packaging/changelog begins with \"${newest}\", not release ${PROJECT_VERSION}")
  endif()
  set(changelog ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
  add_custom_command(OUTPUT ${changelog}
                     COMMAND sh -c "gzip -9nc \"$1\" >\"$2\"" sh ${PROJECT_SOURCE_DIR}/packaging/changelog ${changelog}
                     DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog VERBATIM)
  add_custom_target(packed_documents ALL DEPENDS ${packed_manuals} ${copyright} ${changelog})

  install(TARGETS ${programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${packed_manuals} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES README.md LICENSE ${copyright} ${changelog} DESTINATION ${doc})
  install(FILES packaging/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
          RENAME portdump)

  set(CPACK_GENERATOR DEB TGZ)
  set(CPACK_PACKAGE_NAME portdump)
  set(CPACK_PACKAGE_VENDOR "The portdump developers")
  set(CPACK_PACKAGE_CONTACT "The portdump developers <portdump@example.org>")
  set(CPACK_STRIP_FILES ON)
  set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/package_names.cmake)
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
      "dump what ATA disks behind a disk controller's ports identify as\n"
      "portdump sends each of a controller's four ports the ATA IDENTIFY command\n"
      "through the SCSI generic driver and prints the 512-byte answer as a hex and\n"
      "character dump. portdump-decode says what the blocks are (IDENTIFY DEVICE or\n"
      "IDENTIFY PACKET DEVICE data, SMART data), as text, JSON or Prometheus metrics.\n"
      "portdump-list says which number names which controller.\n"
      "The programs are linked statically.")
  string(JOIN "" CPACK_DEBIAN_PACKAGE_DESCRIPTION ${CPACK_DEBIAN_PACKAGE_DESCRIPTION})
  set(CPACK_DEBIAN_PACKAGE_SECTION admin)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://example.org/portdump")
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  # Debian's and the tarball's names of the machine the programs run on.
  set(debian_architectures x86_64=amd64 ppc64le=ppc64el aarch64=arm64 i686=i386)
  list(FILTER debian_architectures INCLUDE REGEX "^${CMAKE_SYSTEM_PROCESSOR}=")
  string(REGEX REPLACE ".*=" "" CPACK_DEBIAN_PACKAGE_ARCHITECTURE "${debian_architectures}")
  set(CPACK_PORTDUMP_PROCESSOR ${CMAKE_SYSTEM_PROCESSOR})
  include(CPack)
endif()
