# The zoom search end to end.
porvane_test_suite(porvane_zoom_tests porvane_driver
  zoom/zoom_search_test.cpp
)
