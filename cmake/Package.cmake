# The Debian package, made by `cpack -G DEB` in a Release build configured
# with CMAKE_INSTALL_PREFIX=/usr and TESSARIN_TESTS=OFF (scripts/package.sh).
set(TESSARIN_PACKAGE_MAINTAINER "Tessarin 开发组 <maintainers@tessarin.example.org>"
    CACHE STRING "Maintainer field of the Debian package")
set(TESSARIN_PACKAGE_RELEASE 1 CACHE STRING "Debian revision of the package")

# Debian wants the copyright and its own changelog (compressed, without a
# time stamp) in /usr/share/doc/PACKAGE.
# The changelog's latest entry names the package's version; a new version
# needs an entry of its own.
file(STRINGS "${PROJECT_SOURCE_DIR}/packaging/debian/changelog" changelog_top LIMIT_COUNT 1)
if(NOT changelog_top MATCHES "^tessarin \\(${PROJECT_VERSION}-${TESSARIN_PACKAGE_RELEASE}\\) ")
  message(WARNING "packaging/debian/changelog does not begin with an entry for "
                  "${PROJECT_VERSION}-${TESSARIN_PACKAGE_RELEASE}: add one before packaging")
endif()
set(TESSARIN_DOC_DIR "${CMAKE_INSTALL_DATADIR}/doc/tessarin")
install(FILES "${PROJECT_SOURCE_DIR}/packaging/debian/copyright" DESTINATION "${TESSARIN_DOC_DIR}")
set(changelog_copy "${CMAKE_BINARY_DIR}/changelog.Debian")
add_custom_command(OUTPUT "${changelog_copy}.gz"
                   COMMAND ${CMAKE_COMMAND} -E copy "${PROJECT_SOURCE_DIR}/packaging/debian/changelog" "${changelog_copy}"
                   COMMAND ${GZIP_PROGRAM} -9nf "${changelog_copy}"
                   DEPENDS "${PROJECT_SOURCE_DIR}/packaging/debian/changelog" VERBATIM)
add_custom_target(debian_changelog ALL DEPENDS "${changelog_copy}.gz")
install(FILES "${changelog_copy}.gz" DESTINATION "${TESSARIN_DOC_DIR}")
# The package is not uploaded to Debian, so its first changelog entry closes
# no bug report.
install(FILES "${PROJECT_SOURCE_DIR}/packaging/debian/lintian-overrides" DESTINATION "${CMAKE_INSTALL_DATADIR}/lintian/overrides"
        RENAME tessarin)

set(CPACK_PACKAGE_NAME tessarin)
set(CPACK_PACKAGE_VENDOR "Tessarin 开发组")
set(CPACK_PACKAGE_CONTACT "${TESSARIN_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "compare two folder trees and synchronise them")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)

set(CPACK_DEBIAN_PACKAGE_RELEASE "${TESSARIN_PACKAGE_RELEASE}")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TESSARIN_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://tessarin.example.org")
# The long text below the summary; CPack indents it and marks the empty
# lines as Debian wants.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Tessarin lists the files under two folders side by side, works out which
files must be created, updated, deleted or given the other side's
attributes in each direction, and carries out a whole list or only the
checked rows. It matches names as the volumes do (FAT, exFAT, NTFS, ext4).

A second tool finds every copy of a file on the fixed drives by MD5 digest.

The package holds the window (tessarin, Qt 6, in Simplified Chinese) and
the command-line program tessarin-cli.")
# Library packages from the binaries' own needs (dpkg-shlibdeps), and Qt's
# platform plugins, which the window loads at run time and so never links.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# Qt's Chinese texts, the Song face the windows are laid out for, and the
# zh_CN.UTF-8 locale for the system's failure texts.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, fonts-arphic-uming, locales")
# Control files 0644 as lintian wants them.
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
