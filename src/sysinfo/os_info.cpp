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

// Vista and later are told apart from their servers by the product type; a
// system without the extended record counts as a server when its registry
// says it is one.
bool ServerSystem(const OSValues& v) {
  return v.ExtendedInfo ? v.RawProductType != 1 : RegistryProductType(v) != ptNTWorkstation &&
                                                      RegistryProductType(v) != ptUnknown;
}

// Windows 6.x: Vista, 7, 8 and 8.1 and their servers.
TOSProduct Product6(std::uint32_t minor, bool server) {
  switch (minor) {
    case 0: return server ? osWinServer2008 : osWinVista;
    case 1: return server ? osWinServer2008R2 : osWin7;
    case 2: return server ? osWinServer2012 : osWin8;
    case 3: return server ? osWinServer2012R2 : osWin81;
    default: return osUnknown;
  }
}

// Windows 10.0: the build tells Windows 11 from 10 (22000 is the first
// build of 11) and the servers from each other.
TOSProduct Product10(std::uint32_t build, bool server) {
  if (!server) return build >= 22000 ? osWin11 : osWin10;
  if (build >= 26100) return osWinServer2025;
  if (build >= 20348) return osWinServer2022;
  if (build >= 17763) return osWinServer2019;
  return osWinServer2016;
}
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
    if (v.MajorVersion == 6) return Product6(v.MinorVersion, ServerSystem(v));
    if (v.MajorVersion == 10 && v.MinorVersion == 0) return Product10(v.BuildNumber, ServerSystem(v));
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
  // From Vista on the system names its edition itself.
  if (product >= osWinVista) return ProductInfoEdition(v.ProductInfo);
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

std::string ProductInfoEdition(std::uint32_t productInfo) {
  struct Name {
    std::uint32_t value;
    const char* name;
  };
  static constexpr Name names[] = {
      {0x01, "Ultimate"},           {0x02, "Home Basic"},
      {0x03, "Home Premium"},       {0x04, "Enterprise"},
      {0x05, "Home Basic N"},       {0x06, "Business"},
      {0x07, "Standard"},           {0x08, "Datacenter"},
      {0x09, "Small Business Server"}, {0x0A, "Enterprise"},
      {0x0B, "Starter"},            {0x0C, "Datacenter (core installation)"},
      {0x0D, "Standard (core installation)"}, {0x0E, "Enterprise (core installation)"},
      {0x10, "Business N"},         {0x11, "Web Server"},
      {0x12, "HPC Edition"},        {0x13, "Home Server"},
      {0x1A, "Home Premium N"},     {0x1B, "Enterprise N"},
      {0x1C, "Ultimate N"},         {0x1D, "Web Server (core installation)"},
      {0x30, "Pro"},                {0x31, "Pro N"},
      {0x48, "Enterprise Evaluation"}, {0x4F, "Standard Evaluation"},
      {0x50, "Datacenter Evaluation"}, {0x54, "Enterprise N Evaluation"},
      {0x62, "Home N"},             {0x63, "Home China"},
      {0x64, "Home Single Language"}, {0x65, "Home"},
      {0x79, "Education"},          {0x7A, "Education N"},
      {0x7D, "Enterprise LTSC"},    {0x7E, "Enterprise LTSC N"},
      {0xA1, "Pro for Workstations"}, {0xA2, "Pro N for Workstations"},
      {0xA4, "Pro Education"},      {0xA5, "Pro Education N"},
      {0xAF, "Enterprise multi-session"},
  };
  for (const Name& n : names)
    if (n.value == productInfo) return n.name;
  return "";
}

std::string WindowsUpdateTarget(const OSValues& v, const std::string& webPage) {
  // The web page only ever served old systems; Windows 10 and later update
  // through their settings.
  return v.Platform == kPlatformNT && v.MajorVersion >= 10 ? "ms-settings:windowsupdate" : webPage;
}

bool IsWOW64(const OSValues& v) {
  switch (v.Wow64) {
    case Wow64Query::Failed: throw Exception("Bad process handle");
    case Wow64Query::Yes: return true;
    default: return false;
  }
}

}  // namespace osinfo

void ApplyTrueVersion(OSValues& v, const TrueVersion& t) {
  if (v.Platform != 2 || t.MajorVersion == 0) return;
  v.MajorVersion = t.MajorVersion;
  v.MinorVersion = t.MinorVersion;
  v.BuildNumber = t.BuildNumber;
  v.CSDVersion = t.CSDVersion;
  v.ExtendedInfo = true;
  v.ServicePackMajor = t.ServicePackMajor;
  v.ServicePackMinor = t.ServicePackMinor;
  v.SuiteMask = t.SuiteMask;
  v.RawProductType = t.RawProductType;
}

const OSValues& CurrentOSValues() {
  static const OSValues values = ReadOSValues();
  return values;
}

}  // namespace nv
