# Header side: tables, linear algebra, header reader.
porvane_test_suite(porvane_header_tests porvane_input
  input/linear_algebra_test.cpp
  input/header_tables_test.cpp
  input/header_reader_test.cpp
)
# Atom side: radii, masses, atom reader, structure report.
porvane_test_suite(porvane_atoms_tests porvane_input
  input/radius_mass_test.cpp
  input/atom_reader_test.cpp
  input/structure_report_test.cpp
)
