# The Windows front end of the setup dialog: the system's dialogs.
target_sources(trellisk_ui PRIVATE
  win32/cresize_ctrl.cpp
  win32/dialog_window.cpp
  win32/editor_window.cpp
  win32/setup_frame.cpp
  win32/win32_setup.cpp
  win32/window_services.cpp
  win32/window_view.cpp)
target_link_libraries(trellisk_ui PRIVATE comctl32 comdlg32 gdi32 user32)
