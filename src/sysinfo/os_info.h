// The UOSInfo unit: which Windows product, edition and service pack the
// program runs on. Every answer is a pure function of a handful of platform
// values (the version records, two registry reads, two system metrics and
// the WOW64 query), so each rule can be checked without Windows; TOSInfo
// answers the same questions for the values of the running system, read
// once at start.
#pragma once

#include <cstdint>
#include <string>

namespace nv {

// What the WOW64 query found.
enum class Wow64Query {
  Missing,  // kernel32 has no IsWow64Process
  Failed,   // it exists but the call failed
  No,
  Yes,
};

struct OSValues {
  // Basic version record (0 everywhere when not on Windows).
  std::uint32_t Platform = 0;  // 1 = 9x family, 2 = NT
  std::uint32_t MajorVersion = 0, MinorVersion = 0;
  std::uint32_t BuildNumber = 0;  // already cut to 16 bits on platform 1
  std::string CSDVersion;
  // Extended version record.
  bool ExtendedInfo = false;
  std::uint32_t ServicePackMajor = 0, ServicePackMinor = 0;
  std::uint32_t SuiteMask = 0, RawProductType = 0;
  // HKLM\SYSTEM\CurrentControlSet\Control\ProductOptions: whether the key
  // opened, and its "ProductType" string (empty when missing).
  bool ProductOptionsKeyOpened = false;
  std::string RegistryProductType;
  // HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Hotfix\Q246009 exists.
  bool HotfixQ246009 = false;
  // GetSystemMetrics(SM_TABLETPC) and (SM_MEDIACENTER) non-zero.
  bool TabletMetric = false, MediaCenterMetric = false;
  Wow64Query Wow64 = Wow64Query::Missing;
  // GetProductInfo's product (PRODUCT_* value; 0 before Windows Vista).
  std::uint32_t ProductInfo = 0;
  // HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion "DisplayVersion"
  // (or, before it existed, "ReleaseId") on Windows 10 and 11: "23H2".
  std::string DisplayVersion;
};

// The system's own idea of its version (RtlGetVersion): unlike the version
// records, never the older version a program's manifest makes it claim.
struct TrueVersion {
  std::uint32_t MajorVersion = 0, MinorVersion = 0, BuildNumber = 0;
  std::string CSDVersion;
  std::uint32_t ServicePackMajor = 0, ServicePackMinor = 0;
  std::uint32_t SuiteMask = 0, RawProductType = 0;
};
// Puts the true version in place of what the version records said (NT only).
void ApplyTrueVersion(OSValues& v, const TrueVersion& t);

// Product, 0..7.
enum TOSProduct : int {
  osUnknown = 0,
  osWin95 = 1,
  osWin98 = 2,
  osWinMe = 3,
  osWinNT4 = 4,
  osWin2000 = 5,
  osWinXP = 6,
  osWinServer2003 = 7,
  osWinVista = 8,
  osWinServer2008 = 9,
  osWin7 = 10,
  osWinServer2008R2 = 11,
  osWin8 = 12,
  osWinServer2012 = 13,
  osWin81 = 14,
  osWinServer2012R2 = 15,
  osWin10 = 16,
  osWin11 = 17,
  osWinServer2016 = 18,
  osWinServer2019 = 19,
  osWinServer2022 = 20,
  osWinServer2025 = 21,
};
inline constexpr int kOSProductCount = 22;

// Product type, 0..5.
enum TOSProductType : int {
  ptNA = 0,
  ptUnknown = 1,
  ptNTWorkstation = 2,
  ptNTServer = 3,
  ptNTDomainController = 4,
  ptNTAdvancedServer = 5,
};

// The rules, over given values.
namespace osinfo {
bool IsWin9x(const OSValues& v);
bool IsWinNT(const OSValues& v);
TOSProduct Product(const OSValues& v);
TOSProductType ProductType(const OSValues& v);
// The product type the registry gives (systems without the extended record).
TOSProductType RegistryProductType(const OSValues& v);
bool IsServer(const OSValues& v);
std::string Edition(const OSValues& v);
std::string ServicePack(const OSValues& v);
// Throws Exception("Bad process handle") when the query failed.
bool IsWOW64(const OSValues& v);
// The edition GetProductInfo's product names ("Pro", "Home", "Datacenter");
// empty for a value not known here.
std::string ProductInfoEdition(std::uint32_t productInfo);
// What the "Windows Update" entry opens: the system's own settings page from
// Windows 10 on, before it the maker's web page.
std::string WindowsUpdateTarget(const OSValues& v, const std::string& webPage);
}  // namespace osinfo

// The values of the running system: read once, at first use (the About
// window's creation at start-up is the first). Off Windows every value is
// absent, which gives the "unknown" and empty answers.
const OSValues& CurrentOSValues();
// Reads them from the platform (defined per platform).
OSValues ReadOSValues();

// Class-level answers for the running system; never instantiated.
class TOSInfo {
 public:
  TOSInfo() = delete;
  static bool IsWin9x() { return osinfo::IsWin9x(CurrentOSValues()); }
  static bool IsWinNT() { return osinfo::IsWinNT(CurrentOSValues()); }
  static TOSProduct Product() { return osinfo::Product(CurrentOSValues()); }
  static TOSProductType ProductType() { return osinfo::ProductType(CurrentOSValues()); }
  static bool IsServer() { return osinfo::IsServer(CurrentOSValues()); }
  static std::string Edition() { return osinfo::Edition(CurrentOSValues()); }
  static std::string ServicePack() { return osinfo::ServicePack(CurrentOSValues()); }
  static std::uint32_t ServicePackMajor() { return CurrentOSValues().ServicePackMajor; }
  static std::uint32_t ServicePackMinor() { return CurrentOSValues().ServicePackMinor; }
  static std::uint32_t BuildNumber() { return CurrentOSValues().BuildNumber; }
  static bool IsTablet() { return CurrentOSValues().TabletMetric; }
  static bool IsMediaCenter() { return CurrentOSValues().MediaCenterMetric; }
  static bool IsWOW64() { return osinfo::IsWOW64(CurrentOSValues()); }
};

}  // namespace nv
