set(PORVANE_REEB_SOURCES
  src/reeb/find_patches.cpp
  src/reeb/find_edges.cpp
  src/reeb/reeb_stage.cpp
)
