set(PORVANE_ENDFILES_SOURCES
  src/endfiles/grid_point_file.cpp
  src/endfiles/nearest_channel_search.cpp
  src/endfiles/nearest_channel_file.cpp
  src/endfiles/expanded_file.cpp
)
