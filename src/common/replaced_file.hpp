// A file that takes the place of whatever stands at its name only once it is
// complete: written under a temporary name in the same folder, then renamed
// over the name. A run that fails or is killed on the way leaves the old file
// whole; a symbolic link at the name is replaced, not followed.
#pragma once

#include <string>

namespace porvane {

class replaced_file {
 public:
  // Creates the temporary file beside `name`; `kind` names the file in
  // messages ("map file"). A file that cannot be created ends the run
  // (status 1) saying why.
  replaced_file(std::string name, std::string kind);
  // Removes the temporary file unless commit() renamed it.
  ~replaced_file();
  replaced_file(const replaced_file&) = delete;
  replaced_file& operator=(const replaced_file&) = delete;

  // The temporary file, for a writer that opens files by name, and a
  // descriptor of it open for reading and writing, to check what was written.
  const std::string& temporary() const { return temporary_; }
  int descriptor() const { return fd_; }

  // End the run (status 1) with "cannot write <kind> '<name>': <why>", or
  // "cannot create ..." with the system's reason for `error`.
  [[noreturn]] void write_failure(const std::string& why) const;
  [[noreturn]] void create_failure(int error) const;
  // Forces the data to the disk, gives the file the permission bits of the
  // regular file at the name (of a new file when there is none) and its
  // owner and group where the process may, and renames it over the name. A
  // failure ends the run (status 1).
  void commit();

 private:
  std::string name_;
  std::string kind_;
  std::string temporary_;
  int fd_ = -1;
  bool committed_ = false;
};

}  // namespace porvane
