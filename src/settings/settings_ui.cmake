jotrak_add_library(jotrak_settings_ui SOURCES ${CMAKE_CURRENT_LIST_DIR}/settings_dialog.cpp LIBS jotrak_appbase)
