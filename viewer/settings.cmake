# The viewer's settings and its settings dialog, a small library the viewer and the tests link.
# Included from the top-level CMakeLists.txt (Windows trees only).
add_library(lumora_viewer_settings STATIC ${CMAKE_CURRENT_LIST_DIR}/settings.cpp)
target_include_directories(lumora_viewer_settings PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(lumora_viewer_settings PUBLIC lumora_ui)
