set(PORVANE_DRIVER_SOURCES
  src/driver/cell_of_map.cpp
  src/driver/command_line.cpp
  src/driver/help_text.cpp
  src/driver/output_names.cpp
  src/driver/run_sequence.cpp
  src/driver/settings_check.cpp
)
