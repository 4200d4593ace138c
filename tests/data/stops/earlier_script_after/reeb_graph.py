an earlier file
