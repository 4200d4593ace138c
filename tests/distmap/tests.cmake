porvane_test_suite(porvane_distmap_tests porvane_driver
  distmap/distance_map_test.cpp
  distmap/map_file_test.cpp
  distmap/nearest_atom_copy_test.cpp
  distmap/map_gemmi_test.cpp
)
