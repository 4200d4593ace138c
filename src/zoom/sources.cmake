set(PORVANE_ZOOM_SOURCES
  src/zoom/zoom_search.cpp
)
