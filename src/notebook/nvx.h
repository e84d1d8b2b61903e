// The encrypted notebook file (.nvx): a whole document as RichView Format,
// sealed with AES-256-GCM under a key derived from the user's password with
// Argon2id. docs/nvx-format.md describes the layout byte by byte.
//
// The fixed header carries everything a reader needs besides the password
// (the key derivation's parameters, the salt, the nonce) and is
// authenticated as associated data, so no byte of the file can change
// unnoticed. Opening never tells a wrong password from a damaged file: both
// are one answer, and nothing of the plain text leaves a failed opening.
//
// All cryptography is libgcrypt's; this unit only puts its calls together.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "richview/document.h"

namespace nv {

// What the notebook shows for any file it could not open.
inline constexpr const char* kNvxOpenError = "The password is wrong or the file is damaged.";

inline constexpr std::uint16_t kNvxVersion = 1;
inline constexpr std::size_t kNvxHeaderSize = 52;
inline constexpr std::size_t kNvxSaltSize = 16;
inline constexpr std::size_t kNvxNonceSize = 12;
inline constexpr std::size_t kNvxTagSize = 16;
inline constexpr std::size_t kNvxKeySize = 32;

// Argon2id's costs: memory in KiB, passes over it, lanes.
struct NvxParams {
  std::uint32_t memoryKiB = 0;
  std::uint32_t passes = 0;
  std::uint32_t parallelism = 0;
  bool operator==(const NvxParams&) const = default;
};

// What the notebook writes: 64 MiB, three passes, four lanes. Stored in
// every file, so later versions may raise them and older files still open.
inline constexpr NvxParams kNvxFileParams{64u * 1024u, 3, 4};

// Whether a reader accepts these costs: refused before anything is
// allocated, so a forged header cannot make the reader take 4 GiB or spin
// for hours.
bool NvxParamsInRange(const NvxParams& p);

struct NvxHeader {
  std::uint16_t version = kNvxVersion;
  NvxParams params;
  std::array<std::uint8_t, kNvxSaltSize> salt{};
  std::array<std::uint8_t, kNvxNonceSize> nonce{};
};

// The header's bytes, and their reading: nothing unless the magic, the
// version, the algorithm numbers and the costs are all ones this code reads
// and the file is long enough to hold the tag after the header.
std::string WriteNvxHeader(const NvxHeader& h);
std::optional<NvxHeader> ParseNvxHeader(std::string_view file);
// Only the magic: tells an encrypted document from other data.
bool HasNvxMagic(std::string_view bytes);

// Overwrites memory in a way the compiler may not leave out.
void WipeBytes(void* p, std::size_t n);
// Wipes the text's characters and empties it.
void WipeString(std::string& s);

// A text whose bytes are wiped when it is replaced, cleared or destroyed:
// the password kept for the quick save.
class SecretString {
 public:
  SecretString() = default;
  // Takes the text over and wipes the source. Copies, not moves: a moved
  // short string leaves its characters behind in the source's own buffer.
  explicit SecretString(std::string&& s) : s_(s) { WipeString(s); }
  ~SecretString() { Clear(); }
  SecretString(const SecretString&) = delete;
  SecretString& operator=(const SecretString&) = delete;
  SecretString(SecretString&& o) : s_(o.s_) { o.Clear(); }
  SecretString& operator=(SecretString&& o);
  void Clear();
  bool Empty() const { return s_.empty(); }
  std::string_view View() const { return s_; }

 private:
  std::string s_;
};

// A derived key with the salt and costs it was derived with; wiped when
// the last holder lets go of it.
class NvxKey {
 public:
  NvxKey(const NvxParams& params, const std::array<std::uint8_t, kNvxSaltSize>& salt) : params_(params), salt_(salt) {}
  ~NvxKey() { WipeBytes(key_.data(), key_.size()); }
  NvxKey(const NvxKey&) = delete;
  NvxKey& operator=(const NvxKey&) = delete;
  const NvxParams& Params() const { return params_; }
  const std::array<std::uint8_t, kNvxSaltSize>& Salt() const { return salt_; }
  const std::uint8_t* Bytes() const { return key_.data(); }
  std::uint8_t* MutableBytes() { return key_.data(); }

 private:
  NvxParams params_;
  std::array<std::uint8_t, kNvxSaltSize> salt_;
  std::array<std::uint8_t, kNvxKeySize> key_{};
};

// Derives the key for a new file (a fresh random salt) or for a header's
// salt and costs. Nothing when the costs are out of range or the memory is
// not to be had.
std::shared_ptr<const NvxKey> NewNvxKey(std::string_view password, const NvxParams& params = kNvxFileParams);
std::shared_ptr<const NvxKey> DeriveNvxKey(std::string_view password, const NvxParams& params,
                                           const std::array<std::uint8_t, kNvxSaltSize>& salt);

// The whole file for `plain`, under a fresh random nonce.
std::optional<std::string> SealNvx(std::string_view plain, const NvxKey& key);
// The plain bytes of a file; nothing for a wrong password or any damage.
// `keyOut`, when given, receives the key that opened it, so that later
// writes of the same document need no second derivation.
std::optional<std::string> OpenNvx(std::string_view file, std::string_view password,
                                   std::shared_ptr<const NvxKey>* keyOut = nullptr);
// The same with a key already derived; nothing also when the file's salt or
// costs are not the key's.
std::optional<std::string> OpenNvxWithKey(std::string_view file, const NvxKey& key);

// A whole document in and out of the format, by way of the RichView Format.
// The plain bytes in between are wiped before these return. Loading
// replaces `doc` only when the file opened and its content was read whole;
// otherwise `doc` is exactly as it was.
std::optional<std::string> SaveNvx(const TRVDocument& doc, const NvxKey& key);
bool LoadNvx(std::string_view file, std::string_view password, TRVDocument& doc, unsigned& warnings,
             std::shared_ptr<const NvxKey>* keyOut = nullptr);
// The same for plain bytes already taken out of a file.
bool LoadNvxPlain(std::string& plain, TRVDocument& doc, unsigned& warnings);

// The two primitives exactly as the format calls them, exposed so that
// their published test vectors can check the parameters' order.
namespace nvx_primitives {
// Argon2id (version 0x13); `secret` and `ad` are Argon2's optional inputs,
// empty in the file format.
bool Argon2id(std::string_view password, std::string_view salt, const NvxParams& params, std::string_view secret,
              std::string_view ad, std::uint8_t* out, std::size_t outLen);
// AES-256-GCM with a 16-byte tag; `text` is encrypted or decrypted in
// place. Decrypting answers false (and wipes `text`) when the tag differs.
bool AesGcmSeal(const std::uint8_t* key, std::string_view nonce, std::string_view aad, std::string& text,
                std::array<std::uint8_t, kNvxTagSize>& tag);
bool AesGcmOpen(const std::uint8_t* key, std::string_view nonce, std::string_view aad, std::string& text,
                const std::uint8_t* tag);
}  // namespace nvx_primitives

}  // namespace nv
