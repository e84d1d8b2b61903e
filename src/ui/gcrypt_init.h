// libgcrypt's one-time start-up, shared by everything that calls it (the
// settings database's password hash, the encrypted notebook). Includers
// link nv_gcrypt.
#pragma once

#include <gcrypt.h>

#include <mutex>

namespace nv {

inline void InitGcrypt() {
  static std::once_flag once;
  std::call_once(once, [] {
    gcry_check_version(nullptr);
    // Locked memory needs privileges the user may not have; the secrets
    // are wiped explicitly instead.
    gcry_control(GCRYCTL_DISABLE_SECMEM, 0);
    gcry_control(GCRYCTL_INITIALIZATION_FINISHED, 0);
  });
}

}  // namespace nv
