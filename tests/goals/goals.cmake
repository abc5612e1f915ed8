jotrak_add_test(tst_period_goals SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_period_goals.cpp LIBS jotrak_app)
