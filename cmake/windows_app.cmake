# The Windows side: the application library (shared by quorvel.exe and the
# end-to-end tests) and the program itself.
add_library(quorvel_app STATIC
    view/app_windows.cpp
    view/map_layer.cpp
    view/map_view.cpp
    view/mouse_input.cpp
    view/map_legend.cpp
    view/map_tooltip.cpp
    panels/about_box.cpp
    panels/areas_panel.cpp
    panels/breakdown_chart.cpp
    panels/breakdown_panel.cpp
    panels/clipboard.cpp
    panels/list_view.cpp
    panels/demographics_panel.cpp
    panels/file_dialogs.cpp
    panels/gis_panel.cpp
    panels/info_panel.cpp
    panels/question_panel.cpp
    panels/snapshot.cpp
    app/shell.cpp
    app/data_commands.cpp
)
target_link_libraries(quorvel_app PUBLIC quorvel_window_core opengl32 gdi32 comdlg32 comctl32 shell32 user32)
target_compile_definitions(quorvel_app PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX)

# The resource script pulls in these files; a change to one rebuilds it.
file(GLOB QUORVEL_RESOURCE_FILES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/resources/*.bmp
     ${CMAKE_CURRENT_SOURCE_DIR}/resources/quorvel.ico ${CMAKE_CURRENT_SOURCE_DIR}/resources/quorvel.manifest)
set_source_files_properties(resources/quorvel.rc PROPERTIES OBJECT_DEPENDS "${QUORVEL_RESOURCE_FILES}")
add_executable(quorvel WIN32 app/win_main.cpp resources/quorvel.rc)
target_link_libraries(quorvel PRIVATE quorvel_app)
