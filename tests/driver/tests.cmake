porvane_test_suite(porvane_driver_tests porvane_driver
  driver/placeholder_driver_test.cpp
)
