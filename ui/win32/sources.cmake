# The Windows front end of the setup dialog: the system's dialogs.
target_sources(trellisk_ui PRIVATE win32/win32_setup.cpp)
