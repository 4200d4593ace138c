porvane_test_suite(porvane_distmap_tests porvane_distmap
  distmap/unit_cell_grid_test.cpp
  distmap/fast_map_test.cpp
  distmap/distance_map_stage_test.cpp
  distmap/map_file_test.cpp
  distmap/real_structure_test.cpp
)
