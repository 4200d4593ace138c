set(PORVANE_COMMON_SOURCES
  src/common/report_writer.cpp
  src/common/fixed_columns.cpp
  src/common/text_file.cpp
)
