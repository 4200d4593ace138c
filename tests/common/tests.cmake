porvane_test_suite(porvane_common_tests porvane_common
  common/placeholder_common_test.cpp
)
