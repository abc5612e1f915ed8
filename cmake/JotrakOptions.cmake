# One interface target carries the language standard, the warnings and, when
# JOTRAK_WERROR is on (the test script and CI), -Werror for the project's own
# code. Every target links it. A plain build (a user, a packager, another
# compiler version) only warns.
option(JOTRAK_WERROR "Treat compiler warnings as errors" OFF)
add_library(jotrak_options INTERFACE)
target_compile_features(jotrak_options INTERFACE cxx_std_20)
target_compile_options(jotrak_options INTERFACE
  -Wall -Wextra -Wold-style-cast -Wnon-virtual-dtor -Woverloaded-virtual)
if(JOTRAK_WERROR)
  target_compile_options(jotrak_options INTERFACE -Werror)
endif()
target_compile_definitions(jotrak_options INTERFACE
  QT_NO_NARROWING_CONVERSIONS_IN_CONNECT)
if(JOTRAK_SANITIZE)
  target_compile_options(jotrak_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(jotrak_options INTERFACE -fsanitize=address,undefined)
endif()

# Adds every direct subfolder of the current source folder that has a CMakeLists.txt,
# so each subsystem keeps its own build file.
function(jotrak_add_subfolders)
  file(GLOB _children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT _children)
  foreach(_child IN LISTS _children)
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${_child} AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${_child}/CMakeLists.txt)
      add_subdirectory(${_child})
    endif()
  endforeach()
endfunction()

# jotrak_add_test(NAME SOURCES a.cpp b.cpp LIBS lib... [RUN_IN command...])
# A QtTest executable run by CTest without a screen, inside RUN_IN when given
# (e.g. dbus-run-session --). The user's data and configuration folders point
# into the build folder, so no test reaches the real ones.
function(jotrak_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;RUN_IN" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE jotrak_options Qt6::Test ${T_LIBS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  add_test(NAME ${name} COMMAND ${T_RUN_IN} $<TARGET_FILE:${name}>)
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;JOTRAK_TEST_DATA=${PROJECT_SOURCE_DIR}/tests/data;JOTRAK_BIN_DIR=${CMAKE_RUNTIME_OUTPUT_DIRECTORY};XDG_DATA_HOME=${CMAKE_BINARY_DIR}/test-home/data;XDG_CONFIG_HOME=${CMAKE_BINARY_DIR}/test-home/config"
    TIMEOUT 600)
endfunction()

# jotrak_add_module(NAME SOURCES ... LIBS ... FOR library COMPONENT component): a
# module the program loads when it first needs it, built beside the programs
# (where the build tree's programs find it) and installed in the private
# module folder; whatever builds `library` gets the module too.
function(jotrak_add_module name)
  cmake_parse_arguments(M "" "FOR;COMPONENT" "SOURCES;LIBS" ${ARGN})
  add_library(${name} MODULE ${M_SOURCES})
  set_target_properties(${name} PROPERTIES LIBRARY_OUTPUT_DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}
                                           CXX_VISIBILITY_PRESET hidden)
  target_link_libraries(${name} PRIVATE jotrak_options ${M_LIBS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src)
  add_dependencies(${M_FOR} ${name})
  install(TARGETS ${name} LIBRARY DESTINATION ${JOTRAK_MODULE_INSTALL_DIR} COMPONENT ${M_COMPONENT})
endfunction()

# jotrak_add_library(NAME SOURCES ... LIBS ...): a static library of one subsystem,
# defined in its own folder. Each is listed for jotrak_check_widget_links.
function(jotrak_add_library name)
  cmake_parse_arguments(L "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${L_SOURCES})
  target_link_libraries(${name} PUBLIC jotrak_options ${L_LIBS})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  set_property(GLOBAL APPEND PROPERTY JOTRAK_LIBRARIES ${name})
endfunction()

# Every target a target links, directly or through others, as "name" entries
# of the list named by `out` (aliases resolved, generator expressions other
# than $<LINK_ONLY:...> skipped).
function(_jotrak_link_closure target out)
  set(seen)
  set(pending ${target})
  while(pending)
    list(POP_FRONT pending current)
    get_target_property(aliased ${current} ALIASED_TARGET)
    if(aliased)
      set(current ${aliased})
    endif()
    if(current IN_LIST seen)
      continue()
    endif()
    list(APPEND seen ${current})
    set(links)
    foreach(property LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
      get_target_property(values ${current} ${property})
      if(values)
        list(APPEND links ${values})
      endif()
    endforeach()
    foreach(link IN LISTS links)
      string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" link "${link}")
      if(NOT link MATCHES "[$<>]" AND TARGET ${link})
        list(APPEND pending ${link})
      endif()
    endforeach()
  endwhile()
  set(${out} ${seen} PARENT_SCOPE)
endfunction()

# Only the shell, the web pane, the app and the *_ui libraries may link Qt
# Widgets; every other library of the program is widget-free and is tested
# without a screen. A library that breaks this stops the configuration.
function(jotrak_check_widget_links)
  get_property(libraries GLOBAL PROPERTY JOTRAK_LIBRARIES)
  get_target_property(widgets Qt6::Widgets ALIASED_TARGET)
  if(NOT widgets)
    set(widgets Qt6::Widgets)
  endif()
  foreach(library IN LISTS libraries)
    if(library MATCHES "^jotrak_(shell|web|app)$|_ui$")
      continue()
    endif()
    _jotrak_link_closure(${library} closure)
    if(widgets IN_LIST closure)
      message(FATAL_ERROR "${library} links Qt6::Widgets (directly or through a library it links); "
                          "only jotrak_shell, jotrak_web, jotrak_app and the *_ui libraries may.")
    endif()
  endforeach()
endfunction()
