namespace porvane {}  // to be written
