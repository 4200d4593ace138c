porvane_test_suite(porvane_common_tests porvane_common
  common/gfortran_output_test.cpp
  common/gfortran_input_test.cpp
  common/format_items_test.cpp
  common/report_writer_test.cpp
  common/fixed_columns_test.cpp
  common/coordinate_record_test.cpp
)
