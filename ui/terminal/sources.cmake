# The terminal front end of the setup dialog (Linux).
target_sources(trellisk_ui PRIVATE terminal/terminal_setup.cpp)
