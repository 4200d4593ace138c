# Header side: tables, linear algebra, header reader.
porvane_test_suite(porvane_header_tests porvane_input
  input/placeholder_header_test.cpp
)
# Atom side: radii, masses, atom reader, structure report.
porvane_test_suite(porvane_atoms_tests porvane_input
  input/placeholder_atoms_test.cpp
)
