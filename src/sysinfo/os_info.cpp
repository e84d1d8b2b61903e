#include "sysinfo/os_info.h"

#include "ui/errors.h"
#include "ui/text.h"

namespace nv {
namespace osinfo {

namespace {
constexpr std::uint32_t kPlatform9x = 1;
constexpr std::uint32_t kPlatformNT = 2;
constexpr std::uint32_t kSuiteEnterprise = 0x0002;
constexpr std::uint32_t kSuiteDatacenter = 0x0080;
constexpr std::uint32_t kSuitePersonal = 0x0200;
constexpr std::uint32_t kSuiteBlade = 0x0400;

bool Suite(const OSValues& v, std::uint32_t bit) { return (v.SuiteMask & bit) != 0; }
}  // namespace

bool IsWin9x(const OSValues& v) { return v.Platform == kPlatform9x; }
bool IsWinNT(const OSValues& v) { return v.Platform == kPlatformNT; }

TOSProduct Product(const OSValues& v) {
  if (v.Platform == kPlatform9x) {
    if (v.MajorVersion != 4) return osUnknown;
    switch (v.MinorVersion) {
      case 0: return osWin95;
      case 10: return osWin98;
      case 90: return osWinMe;
      default: return osUnknown;
    }
  }
  if (v.Platform == kPlatformNT) {
    if (v.MajorVersion == 4) return v.MinorVersion == 0 ? osWinNT4 : osUnknown;
    if (v.MajorVersion == 5) {
      switch (v.MinorVersion) {
        case 0: return osWin2000;
        case 1: return osWinXP;
        case 2: return osWinServer2003;
        default: return osUnknown;
      }
    }
  }
  return osUnknown;
}

TOSProductType RegistryProductType(const OSValues& v) {
  if (!v.ProductOptionsKeyOpened) return ptUnknown;
  if (AsciiEqualNoCase(v.RegistryProductType, "WINNT")) return ptNTWorkstation;
  if (AsciiEqualNoCase(v.RegistryProductType, "LANMANNT")) return ptNTServer;
  if (AsciiEqualNoCase(v.RegistryProductType, "SERVERNT")) return ptNTAdvancedServer;
  return ptUnknown;
}

TOSProductType ProductType(const OSValues& v) {
  if (v.Platform != kPlatformNT) return ptNA;
  if (!v.ExtendedInfo) return RegistryProductType(v);
  switch (v.RawProductType) {
    case 1: return ptNTWorkstation;
    case 2: return ptNTDomainController;
    case 3: return ptNTServer;
    default: return ptUnknown;
  }
}

bool IsServer(const OSValues& v) {
  const TOSProductType t = ProductType(v);
  return t == ptNTServer || t == ptNTDomainController || t == ptNTAdvancedServer;
}

std::string Edition(const OSValues& v) {
  if (v.Platform != kPlatformNT) return "";
  const TOSProduct product = Product(v);
  if (!v.ExtendedInfo) {
    std::string e;
    switch (RegistryProductType(v)) {
      case ptNTWorkstation: e = "WorkStation"; break;
      case ptNTServer: e = "Server"; break;
      case ptNTAdvancedServer: e = "Advanced Server"; break;
      default: return "";
    }
    return e + " " + UnsignedText(v.MajorVersion) + "." + UnsignedText(v.MinorVersion);
  }
  if (IsServer(v)) {
    switch (product) {
      case osWinNT4:
        return Suite(v, kSuiteEnterprise) ? "Server 4.0, Enterprise Edition" : "Server 4.0";
      case osWin2000:
        if (Suite(v, kSuiteDatacenter)) return "Datacenter Server";
        if (Suite(v, kSuiteEnterprise)) return "Advanced Server";
        return "Standard Edition";
      case osWinServer2003:
        if (Suite(v, kSuiteDatacenter)) return "DataCenter Edition";
        if (Suite(v, kSuiteEnterprise)) return "Enterprise Edition";
        if (Suite(v, kSuiteBlade)) return "Web Edition";
        return "Standard Edition";
      default:
        return "";
    }
  }
  switch (product) {
    case osWinNT4: return "Workstation 4.0";
    case osWin2000: return "Professional";
    case osWinXP:
      if (v.MediaCenterMetric) return "Media Center Edition";
      if (v.TabletMetric) return "Tablet PC Edition";
      if (Suite(v, kSuitePersonal)) return "Home Edition";
      return "Professional";
    default:
      return "";
  }
}

std::string ServicePack(const OSValues& v) {
  if (v.Platform == kPlatform9x) {
    if (v.CSDVersion.empty()) return "";
    const char letter = AsciiUpper(v.CSDVersion.substr(0, 1))[0];
    const TOSProduct product = Product(v);
    if (product == osWin95 && (letter == 'B' || letter == 'C')) return "OSR2";
    if (product == osWin98 && letter == 'A') return "SE";
    return "";
  }
  if (v.Platform == kPlatformNT) {
    if (Product(v) == osWinNT4 && AsciiEqualNoCase(v.CSDVersion, "Service Pack 6") && v.HotfixQ246009)
      return "Service Pack 6a";
    return v.CSDVersion;
  }
  return "";
}

bool IsWOW64(const OSValues& v) {
  switch (v.Wow64) {
    case Wow64Query::Failed: throw Exception("Bad process handle");
    case Wow64Query::Yes: return true;
    default: return false;
  }
}

}  // namespace osinfo

const OSValues& CurrentOSValues() {
  static const OSValues values = ReadOSValues();
  return values;
}

}  // namespace nv
