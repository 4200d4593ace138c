#include "input/element_mass_table.hpp"

#include "common/report_writer.hpp"

namespace porvane {

// In the order of atomic number, hydrogen (1) to copernicium (112). Elements
// without a standard atomic weight carry a whole mass number.
const element_mass element_mass_table[nelements] = {
    {" H", 1.00794f},     {"HE", 4.002602f},    {"LI", 6.941f},       {"BE", 9.012182f},
    {" B", 10.811f},      {" C", 12.0107f},     {" N", 14.0067f},     {" O", 15.9994f},
    {" F", 18.9984032f},  {"NE", 20.1797f},     {"NA", 22.98976928f}, {"MG", 24.3050f},
    {"AL", 26.9815386f},  {"SI", 28.0855f},     {" P", 30.973762f},   {" S", 32.065f},
    {"CL", 35.453f},      {"AR", 39.948f},      {" K", 39.0983f},     {"CA", 40.078f},
    {"SC", 44.955912f},   {"TI", 47.867f},      {" V", 50.9415f},     {"CR", 51.9961f},
    {"MN", 54.938045f},   {"FE", 55.845f},      {"CO", 58.933195f},   {"NI", 58.6934f},
    {"CU", 63.546f},      {"ZN", 65.409f},      {"GA", 69.723f},      {"GE", 72.64f},
    {"AS", 74.92160f},    {"SE", 78.96f},       {"BR", 79.904f},      {"KR", 83.798f},
    {"RB", 85.4678f},     {"SR", 87.62f},       {" Y", 88.90585f},    {"ZR", 91.224f},
    {"NB", 92.90638f},    {"MO", 95.94f},       {"TC", 98.0f},        {"RU", 101.07f},
    {"RH", 102.90550f},   {"PD", 106.42f},      {"AG", 107.8682f},    {"CD", 112.411f},
    {"IN", 114.818f},     {"SN", 118.710f},     {"SB", 121.760f},     {"TE", 127.60f},
    {" I", 126.90447f},   {"XE", 131.293f},     {"CS", 132.9054519f}, {"BA", 137.327f},
    {"LA", 138.90547f},   {"CE", 140.116f},     {"PR", 140.90765f},   {"ND", 144.242f},
    {"PM", 145.0f},       {"SM", 150.36f},      {"EU", 151.964f},     {"GD", 157.25f},
    {"TB", 158.92535f},   {"DY", 162.500f},     {"HO", 164.93032f},   {"ER", 167.259f},
    {"TM", 168.93421f},   {"YB", 173.04f},      {"LU", 174.967f},     {"HF", 178.49f},
    {"TA", 180.94788f},   {" W", 183.84f},      {"RE", 186.207f},     {"OS", 190.23f},
    {"IR", 192.217f},     {"PT", 195.084f},     {"AU", 196.966569f},  {"HG", 200.59f},
    {"TL", 204.3833f},    {"PB", 207.2f},       {"BI", 208.98040f},   {"PO", 209.0f},
    {"AT", 210.0f},       {"RN", 222.0f},       {"FR", 223.0f},       {"RA", 226.0f},
    {"AC", 227.0f},       {"TH", 232.03806f},   {"PA", 231.03588f},   {" U", 238.02891f},
    {"NP", 237.0f},       {"PU", 239.0f},       {"AM", 243.0f},       {"CM", 247.0f},
    {"BK", 247.0f},       {"CF", 251.0f},       {"ES", 252.0f},       {"FM", 257.0f},
    {"MD", 258.0f},       {"NO", 259.0f},       {"LR", 262.0f},       {"RF", 261.0f},
    {"DB", 262.0f},       {"SG", 266.0f},       {"BH", 264.0f},       {"HS", 277.0f},
    {"MT", 268.0f},       {"DS", 281.0f},       {"RG", 272.0f},       {"CN", 285.0f},
};

float mass(std::string_view element) {
  for (const element_mass& row : element_mass_table)
    if (element == std::string_view(row.symbol, 2)) return row.mass;
  report().free("Element not in database: ", element, ". Mass set to zero.");
  return 0.0f;
}

}  // namespace porvane
