porvane_test_suite(porvane_reeb_tests porvane_reeb
  reeb/finders_test.cpp
  reeb/reeb_stage_test.cpp
  reeb/pymol_script_test.cpp
)
