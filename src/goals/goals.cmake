jotrak_add_library(jotrak_goals SOURCES ${CMAKE_CURRENT_LIST_DIR}/period_goals.cpp LIBS jotrak_appbase)
