# Work items through the real main window and dialogs 134 and 135.
jotrak_add_test(tst_work_items SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_work_items.cpp LIBS jotrak_app)
