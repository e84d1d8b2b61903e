// A fresh directory per test, removed with everything in it afterwards.
#pragma once

#include <string>

namespace nv {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& Path() const { return path_; }
  // Path of a file inside the directory (UTF-8, native separators).
  std::string File(const std::string& name) const;

 private:
  std::string path_;
};

}  // namespace nv
