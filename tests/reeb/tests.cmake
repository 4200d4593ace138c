porvane_test_suite(porvane_reeb_tests porvane_driver
  reeb/finders_test.cpp
  reeb/reeb_stage_test.cpp
  reeb/reeb_real_runs_test.cpp
)
