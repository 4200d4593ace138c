set(PORVANE_DISTMAP_SOURCES
  src/distmap/unit_cell_grid.cpp
  src/distmap/check_next_atom.cpp
  src/distmap/fast_distance_map.cpp
  src/distmap/distance_map.cpp
  src/distmap/map_header.cpp
  src/distmap/map_file.cpp
)
