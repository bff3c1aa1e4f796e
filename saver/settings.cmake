# The screen saver's settings and its configuration dialog, a small library the saver and the
# tests link. Included from the top-level CMakeLists.txt (Windows trees only).
add_library(lumora_saver_settings STATIC ${CMAKE_CURRENT_LIST_DIR}/saversettings.cpp)
target_include_directories(lumora_saver_settings PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(lumora_saver_settings PUBLIC lumora_ui)
