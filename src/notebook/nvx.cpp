#include "notebook/nvx.h"

#include <gcrypt.h>

#include <cstring>

#include "richview/rvf.h"
#include "ui/gcrypt_init.h"

namespace nv {

namespace {

// "NVNVX", then CR LF and Ctrl+Z like the RichView Format's magic, so that
// a transfer that mangles line ends or a text viewer stops early shows.
constexpr std::string_view kMagic("NVNVX\r\n\x1A", 8);
constexpr std::uint8_t kKdfArgon2id = 1;
constexpr std::uint8_t kCipherAes256Gcm = 1;

// The readers' limits. 4 GiB of memory is far above what any file of ours
// asks for and the most a 32-bit address could hold anyway.
constexpr std::uint32_t kMaxMemoryKiB = 4u * 1024u * 1024u;
constexpr std::uint32_t kMaxPasses = 64;
constexpr std::uint32_t kMaxParallelism = 64;

void PutU16(std::string& s, std::uint16_t v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>(v >> 8);
}

void PutU32(std::string& s, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
}

std::uint32_t GetU32(std::string_view s, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<std::uint8_t>(s[at + static_cast<std::size_t>(i)]);
  return v;
}

std::string_view AsChars(const std::uint8_t* p, std::size_t n) { return {reinterpret_cast<const char*>(p), n}; }

// A cipher handle closed (and its key schedule wiped by libgcrypt) on every
// path.
class Cipher {
 public:
  explicit Cipher(const std::uint8_t* key, std::string_view nonce, std::string_view aad) {
    InitGcrypt();
    if (gcry_cipher_open(&h_, GCRY_CIPHER_AES256, GCRY_CIPHER_MODE_GCM, 0)) {
      h_ = nullptr;
      return;
    }
    ok_ = !gcry_cipher_setkey(h_, key, kNvxKeySize) && !gcry_cipher_setiv(h_, nonce.data(), nonce.size()) &&
          !gcry_cipher_authenticate(h_, aad.data(), aad.size());
  }
  ~Cipher() {
    if (h_) gcry_cipher_close(h_);
  }
  Cipher(const Cipher&) = delete;
  Cipher& operator=(const Cipher&) = delete;
  bool ok() const { return ok_; }
  gcry_cipher_hd_t get() const { return h_; }

 private:
  gcry_cipher_hd_t h_ = nullptr;
  bool ok_ = false;
};

}  // namespace

bool NvxParamsInRange(const NvxParams& p) {
  // Argon2 itself needs 8 KiB per lane.
  return p.passes >= 1 && p.passes <= kMaxPasses && p.parallelism >= 1 && p.parallelism <= kMaxParallelism &&
         p.memoryKiB >= 8u * p.parallelism && p.memoryKiB <= kMaxMemoryKiB;
}

void WipeBytes(void* p, std::size_t n) {
  volatile unsigned char* b = static_cast<volatile unsigned char*>(p);
  while (n--) *b++ = 0;
}

void WipeString(std::string& s) {
  WipeBytes(s.data(), s.size());
  s.clear();
}

SecretString& SecretString::operator=(SecretString&& o) {
  if (this != &o) {
    Clear();
    s_ = o.s_;
    o.Clear();
  }
  return *this;
}

void SecretString::Clear() { WipeString(s_); }

bool HasNvxMagic(std::string_view bytes) { return bytes.substr(0, kMagic.size()) == kMagic; }

std::string WriteNvxHeader(const NvxHeader& h) {
  std::string s(kMagic);
  PutU16(s, h.version);
  s += static_cast<char>(kKdfArgon2id);
  s += static_cast<char>(kCipherAes256Gcm);
  PutU32(s, h.params.memoryKiB);
  PutU32(s, h.params.passes);
  PutU32(s, h.params.parallelism);
  s.append(AsChars(h.salt.data(), h.salt.size()));
  s.append(AsChars(h.nonce.data(), h.nonce.size()));
  return s;
}

std::optional<NvxHeader> ParseNvxHeader(std::string_view file) {
  if (file.size() < kNvxHeaderSize + kNvxTagSize || !HasNvxMagic(file)) return std::nullopt;
  NvxHeader h;
  h.version = static_cast<std::uint16_t>(static_cast<std::uint8_t>(file[8]) | (static_cast<std::uint8_t>(file[9]) << 8));
  if (h.version != kNvxVersion) return std::nullopt;
  if (static_cast<std::uint8_t>(file[10]) != kKdfArgon2id || static_cast<std::uint8_t>(file[11]) != kCipherAes256Gcm)
    return std::nullopt;
  h.params = {GetU32(file, 12), GetU32(file, 16), GetU32(file, 20)};
  if (!NvxParamsInRange(h.params)) return std::nullopt;
  std::memcpy(h.salt.data(), file.data() + 24, kNvxSaltSize);
  std::memcpy(h.nonce.data(), file.data() + 24 + kNvxSaltSize, kNvxNonceSize);
  return h;
}

namespace nvx_primitives {

bool Argon2id(std::string_view password, std::string_view salt, const NvxParams& params, std::string_view secret,
              std::string_view ad, std::uint8_t* out, std::size_t outLen) {
  InitGcrypt();
  // libgcrypt's order: tag length, passes (t), memory in KiB (m), lanes (p).
  const unsigned long costs[4] = {static_cast<unsigned long>(outLen), params.passes, params.memoryKiB,
                                   params.parallelism};
  gcry_kdf_hd_t hd = nullptr;
  if (gcry_kdf_open(&hd, GCRY_KDF_ARGON2, GCRY_KDF_ARGON2ID, costs, 4, password.data(), password.size(),
                    salt.data(), salt.size(), secret.empty() ? nullptr : secret.data(), secret.size(),
                    ad.empty() ? nullptr : ad.data(), ad.size()))
    return false;
  const bool ok = !gcry_kdf_compute(hd, nullptr) && !gcry_kdf_final(hd, outLen, out);
  // Closing wipes and frees the memory blocks.
  gcry_kdf_close(hd);
  if (!ok) WipeBytes(out, outLen);
  return ok;
}

bool AesGcmSeal(const std::uint8_t* key, std::string_view nonce, std::string_view aad, std::string& text,
                std::array<std::uint8_t, kNvxTagSize>& tag) {
  Cipher c(key, nonce, aad);
  return c.ok() && !gcry_cipher_encrypt(c.get(), text.data(), text.size(), nullptr, 0) &&
         !gcry_cipher_gettag(c.get(), tag.data(), tag.size());
}

bool AesGcmOpen(const std::uint8_t* key, std::string_view nonce, std::string_view aad, std::string& text,
                const std::uint8_t* tag) {
  Cipher c(key, nonce, aad);
  const bool ok = c.ok() && !gcry_cipher_decrypt(c.get(), text.data(), text.size(), nullptr, 0) &&
                  !gcry_cipher_checktag(c.get(), tag, kNvxTagSize);
  // Text that failed its check is never handed on, nor left in memory.
  if (!ok) WipeString(text);
  return ok;
}

}  // namespace nvx_primitives

std::shared_ptr<const NvxKey> DeriveNvxKey(std::string_view password, const NvxParams& params,
                                           const std::array<std::uint8_t, kNvxSaltSize>& salt) {
  if (!NvxParamsInRange(params)) return nullptr;
  auto key = std::make_shared<NvxKey>(params, salt);
  if (!nvx_primitives::Argon2id(password, AsChars(salt.data(), salt.size()), params, {}, {}, key->MutableBytes(),
                                kNvxKeySize))
    return nullptr;
  return key;
}

std::shared_ptr<const NvxKey> NewNvxKey(std::string_view password, const NvxParams& params) {
  InitGcrypt();
  std::array<std::uint8_t, kNvxSaltSize> salt{};
  gcry_randomize(salt.data(), salt.size(), GCRY_STRONG_RANDOM);
  return DeriveNvxKey(password, params, salt);
}

std::optional<std::string> SealNvx(std::string_view plain, const NvxKey& key) {
  InitGcrypt();
  NvxHeader h;
  h.params = key.Params();
  h.salt = key.Salt();
  gcry_randomize(h.nonce.data(), h.nonce.size(), GCRY_STRONG_RANDOM);
  const std::string header = WriteNvxHeader(h);
  // The plain text is copied once, into the buffer that is encrypted in
  // place; a failure wipes it.
  std::string body(plain);
  std::array<std::uint8_t, kNvxTagSize> tag{};
  if (!nvx_primitives::AesGcmSeal(key.Bytes(), AsChars(h.nonce.data(), h.nonce.size()), header, body, tag)) {
    WipeBytes(body.data(), body.size());
    return std::nullopt;
  }
  std::string file;
  file.reserve(header.size() + body.size() + kNvxTagSize);
  file = header;
  file.append(body);
  file.append(AsChars(tag.data(), tag.size()));
  return file;
}

std::optional<std::string> OpenNvxWithKey(std::string_view file, const NvxKey& key) {
  const std::optional<NvxHeader> h = ParseNvxHeader(file);
  if (!h || h->params != key.Params() || h->salt != key.Salt()) return std::nullopt;
  std::string text(file.substr(kNvxHeaderSize, file.size() - kNvxHeaderSize - kNvxTagSize));
  const auto* tag = reinterpret_cast<const std::uint8_t*>(file.data() + file.size() - kNvxTagSize);
  if (!nvx_primitives::AesGcmOpen(key.Bytes(), AsChars(h->nonce.data(), h->nonce.size()),
                                  file.substr(0, kNvxHeaderSize), text, tag))
    return std::nullopt;
  return text;
}

std::optional<std::string> OpenNvx(std::string_view file, std::string_view password,
                                   std::shared_ptr<const NvxKey>* keyOut) {
  const std::optional<NvxHeader> h = ParseNvxHeader(file);
  if (!h) return std::nullopt;
  std::shared_ptr<const NvxKey> key = DeriveNvxKey(password, h->params, h->salt);
  if (!key) return std::nullopt;
  std::optional<std::string> plain = OpenNvxWithKey(file, *key);
  if (plain && keyOut) *keyOut = std::move(key);
  return plain;
}

std::optional<std::string> SaveNvx(const TRVDocument& doc, const NvxKey& key) {
  std::string plain = SaveRVF(doc);
  std::optional<std::string> file = SealNvx(plain, key);
  WipeBytes(plain.data(), plain.size());
  return file;
}

bool LoadNvxPlain(std::string& plain, TRVDocument& doc, unsigned& warnings) {
  // Read into a document of its own: a file that opens but does not read
  // whole must not leave half a document in the editor.
  TRVDocument read;
  unsigned w = 0;
  const bool ok = LoadRVF(plain, read, w);
  WipeString(plain);
  if (!ok) return false;
  doc = std::move(read);
  warnings = w;
  return true;
}

bool LoadNvx(std::string_view file, std::string_view password, TRVDocument& doc, unsigned& warnings,
             std::shared_ptr<const NvxKey>* keyOut) {
  std::shared_ptr<const NvxKey> key;
  std::optional<std::string> plain = OpenNvx(file, password, &key);
  if (!plain || !LoadNvxPlain(*plain, doc, warnings)) return false;
  if (keyOut) *keyOut = std::move(key);
  return true;
}

}  // namespace nv
