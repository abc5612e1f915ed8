# `cpack -G DEB` in a build folder makes two packages: jotrak (the program, its
# shipped files and the desktop integration) and jotrak-webengine (the module
# that shows the start page), which jotrak recommends: without it the web pane
# stays empty and nothing else changes. Library dependencies are read from the
# linked libraries (dpkg-shlibdeps); what is loaded at run time is named here.
set(CPACK_PACKAGE_NAME jotrak)
set(CPACK_PACKAGE_VENDOR "Jotrak")
set(CPACK_PACKAGE_CONTACT "Jotrak maintainers <maintainers@jotrak.org>" CACHE STRING "Maintainer of the packages")
# each package's description: its summary line, then the text in lines short
# enough for a terminal
set(CPACK_DEBIAN_JOTRAK_DESCRIPTION "personal work log of yearly, monthly and daily goals
Jotrak keeps one goal text for every year, month and day, and under each
goal a list of work items. It shows reminders on fixed Gregorian or Chinese
lunar dates, today's lunar date, buttons that open often used files, and
exports goals to text and work items to spreadsheets. Its interface is
Chinese.")
set(CPACK_DEBIAN_WEBENGINE_DESCRIPTION "start page of the Jotrak work log
Shows Jotrak's start page inside its window with Qt WebEngine. Without it
the page's pane stays empty and the rest of the program works the same.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_STRIP_FILES ON)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL jotrak)
if(JOTRAK_WEBENGINE)
  list(APPEND CPACK_COMPONENTS_ALL webengine)
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)

set(CPACK_DEBIAN_JOTRAK_PACKAGE_NAME jotrak)
# Qt's own Chinese texts and the Song and Kai faces the window is drawn in.
set(CPACK_DEBIAN_JOTRAK_PACKAGE_RECOMMENDS "qt6-translations-l10n, fonts-arphic-uming, fonts-arphic-ukai")
if(JOTRAK_WEBENGINE)
  string(PREPEND CPACK_DEBIAN_JOTRAK_PACKAGE_RECOMMENDS "jotrak-webengine, ")
endif()

set(CPACK_DEBIAN_WEBENGINE_PACKAGE_NAME jotrak-webengine)
# the page is a Qt Quick WebEngineView, and the engine runs in a helper process
set(CPACK_DEBIAN_WEBENGINE_PACKAGE_DEPENDS
    "jotrak (= ${PROJECT_VERSION}), qml6-module-qtwebengine, qml6-module-qtquick, qml6-module-qtqml-workerscript, libqt6webenginecore6-bin")

include(CPack)
