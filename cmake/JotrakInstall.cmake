# The installed layout (GNU directories under the prefix) and how the program
# finds its parts in it: always relative to its own folder, so an installed
# tree can be moved (a .deb unpacked elsewhere, a prefix of one's own).
#   <bindir>/jotrak                         the program
#   <libdir>/jotrak/<web engine module>     loaded after the window is on the screen
#   <datadir>/doc/jotrak, <mandir>/man1     copyright, changelog.gz, jotrak.1.gz
#   <datadir>/jotrak/Dt                     the files every new data folder is given
# The build tree keeps the program and the module in bin/ (the module is also
# looked for beside the program).
include(GNUInstallDirs)

set(JOTRAK_APP_ID org.jotrak.Jotrak)
# The module's private folder lies in the multiarch library folder where the
# system has one (lib/x86_64-linux-gnu/jotrak on Debian, whatever the prefix):
# a shared object in lib/ or one folder below it makes CPack give the package
# an ldconfig call, which a module no other program links needs not.
set(_libdir ${CMAKE_INSTALL_LIBDIR})
if(CMAKE_LIBRARY_ARCHITECTURE AND NOT _libdir MATCHES "/${CMAKE_LIBRARY_ARCHITECTURE}$")
  string(APPEND _libdir /${CMAKE_LIBRARY_ARCHITECTURE})
endif()
set(JOTRAK_MODULE_INSTALL_DIR ${_libdir}/jotrak)
set(JOTRAK_SHIPPED_INSTALL_DIR ${CMAKE_INSTALL_DATADIR}/jotrak/Dt)
set(CMAKE_INSTALL_DEFAULT_COMPONENT_NAME jotrak)

foreach(_part MODULE SHIPPED)
  cmake_path(ABSOLUTE_PATH JOTRAK_${_part}_INSTALL_DIR BASE_DIRECTORY ${CMAKE_INSTALL_PREFIX} OUTPUT_VARIABLE _full)
  file(RELATIVE_PATH JOTRAK_${_part}_FROM_BIN ${CMAKE_INSTALL_FULL_BINDIR} ${_full})
endforeach()
