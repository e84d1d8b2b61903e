// nvmkdb: creates the settings database Nookvale.mdb that the program opens
// at start. Usage: nvmkdb [--force] <path>
// Without --force an existing file is left alone: it may be the user's.
#include <cstdio>
#include <cstring>
#include <string>

#include "settings/ado.h"

int main(int argc, char** argv) {
  bool force = false;
  std::string path;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--force") == 0) force = true;
    else path = argv[i];
  }
  if (path.empty()) {
    std::fprintf(stderr, "usage: nvmkdb [--force] <path of Nookvale.mdb>\n");
    return 2;
  }
  try {
    nv::CreateSettingsDatabase(path, nv::kSettingsDatabasePassword, force);
    // Prove the result opens the way the program will open it.
    nv::TADOConnection c;
    c.ConnectionString = nv::SettingsConnectionString(path);
    c.Open();
    nv::TADOTable t(&c);
    t.TableName = "HotKeys";
    t.SetActive(true);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "nvmkdb: %s\n", e.what());
    return 1;
  }
  return 0;
}
