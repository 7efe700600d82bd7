# The window program: the frame, the view and the application object, built
# into a library of their own (the window tests link it), and `pelmark` itself.
set(PELMARK_WINDOW_DIR ${CMAKE_CURRENT_LIST_DIR})

add_library(pelmark_window STATIC
  ${PELMARK_WINDOW_DIR}/about_dlg.cpp
  ${PELMARK_WINDOW_DIR}/app_looks.cpp
  ${PELMARK_WINDOW_DIR}/app_settings.cpp
  ${PELMARK_WINDOW_DIR}/art_pixmaps.cpp
  ${PELMARK_WINDOW_DIR}/instance_handover.cpp
  ${PELMARK_WINDOW_DIR}/main_frame.cpp
  ${PELMARK_WINDOW_DIR}/ravel_app.cpp
  ${PELMARK_WINDOW_DIR}/splash_window.cpp
  ${PELMARK_WINDOW_DIR}/url_opener.cpp
  ${PELMARK_WINDOW_DIR}/window_arguments.cpp
  ${PELMARK_WINDOW_DIR}/view/dropped_files.cpp
  ${PELMARK_WINDOW_DIR}/view/ravel_view.cpp
  ${PELMARK_WINDOW_DIR}/view/ravel_view_files.cpp
  ${PELMARK_WINDOW_DIR}/view/ravel_view_job.cpp
  ${PELMARK_WINDOW_DIR}/view/ravel_view_preview.cpp
  ${PELMARK_WINDOW_DIR}/view/view_fonts.cpp
  ${PELMARK_WINDOW_DIR}/view/view_layout.cpp
)
target_include_directories(pelmark_window PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(pelmark_window PUBLIC
  pelmark_controls pelmark_htmlbox pelmark_art pelmark_packaging pelmark_recovery
  pelmark_platform Qt6::Widgets Qt6::Gui Qt6::Network Qt6::Core)

# An installed program finds its help page in the documentation folder, found
# from its own folder by this relative path.
file(RELATIVE_PATH PELMARK_DOC_FROM_BIN ${CMAKE_INSTALL_FULL_BINDIR}
  ${CMAKE_INSTALL_FULL_DATAROOTDIR}/doc/pelmark)
target_compile_definitions(pelmark_window PRIVATE PELMARK_DOC_FROM_BIN="${PELMARK_DOC_FROM_BIN}")

add_executable(pelmark ${PELMARK_WINDOW_DIR}/main.cpp)
target_link_libraries(pelmark PRIVATE pelmark_window)
# The help document is looked for beside the program.
if(TARGET pelmark_help)
  add_dependencies(pelmark pelmark_help)
endif()
install(TARGETS pelmark RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
