# The terminal front end of the setup dialog (Linux): curses with wide
# characters, so that the translations draw and edit as they are.
set(CURSES_NEED_WIDE TRUE)
set(CURSES_NEED_NCURSES TRUE)
find_package(Curses REQUIRED)
target_sources(trellisk_ui PRIVATE
  terminal/cell_layout.cpp
  terminal/dialog_form.cpp
  terminal/editor_window.cpp
  terminal/modal_windows.cpp
  terminal/screen_boxes.cpp
  terminal/setup_window.cpp
  terminal/terminal_screen.cpp
  terminal/terminal_setup.cpp
  terminal/text_field.cpp
  terminal/wide_text.cpp)
target_include_directories(trellisk_ui PRIVATE ${CURSES_INCLUDE_DIRS})
target_compile_options(trellisk_ui PRIVATE ${CURSES_CFLAGS})
target_link_libraries(trellisk_ui PRIVATE ${CURSES_LIBRARIES})

if(TRELLISK_BUILD_TESTS)
  trellisk_test(terminal_ui_test
    SOURCES terminal/terminal_ui_test.cpp
    DEPENDS trellisk_ui
    LABELS "unit;threads")
endif()
