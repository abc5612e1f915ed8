# The range rules of the export dialog need no widget.
jotrak_add_library(jotrak_export_rules SOURCES ${CMAKE_CURRENT_LIST_DIR}/export_dialog_rules.cpp
  LIBS Qt6::Core jotrak_data)

# Dialog 129 and command 127.
jotrak_add_library(jotrak_export_ui SOURCES ${CMAKE_CURRENT_LIST_DIR}/export_dialog.cpp
  LIBS jotrak_appbase jotrak_export jotrak_export_rules)
