porvane_test_suite(porvane_distmap_tests porvane_distmap
  distmap/placeholder_distmap_test.cpp
)
