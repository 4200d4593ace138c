# The coordinate files: the nearest channel point, the writers at their
# edges, and the files of whole runs.
porvane_test_suite(porvane_endfiles_tests porvane_driver
  endfiles/coordinate_files_test.cpp
)
