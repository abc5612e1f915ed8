# Work items: the list under a goal and the two item dialogs (134, 135).
jotrak_add_library(jotrak_items
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/work_items.cpp
          ${CMAKE_CURRENT_LIST_DIR}/add_item_dialog.cpp
          ${CMAKE_CURRENT_LIST_DIR}/edit_item_dialog.cpp
  LIBS jotrak_appbase)
