porvane_test_suite(porvane_driver_tests porvane_driver
  driver/command_line_test.cpp
  driver/help_text_test.cpp
  driver/run_stops_test.cpp
  driver/hardening_test.cpp
  driver/report_end_to_end_test.cpp
  driver/map_end_to_end_test.cpp
)
