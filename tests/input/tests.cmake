# Header side: tables, linear algebra, value converters, header reader.
porvane_test_suite(porvane_header_tests porvane_input
  input/linear_algebra_test.cpp
  input/value_converters_test.cpp
  input/header_tables_test.cpp
  input/header_reader_test.cpp
)
# Atom side: radii, masses, atom reader, unit shape; the atom reader and the
# structure report end to end on the files of tests/data/atoms.
porvane_test_suite(porvane_atoms_tests porvane_input
  input/radius_mass_test.cpp
  input/atom_reader_test.cpp
  input/unit_shape_test.cpp
  input/atoms_end_to_end_test.cpp
)
