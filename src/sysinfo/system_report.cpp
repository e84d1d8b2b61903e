#include "sysinfo/system_report.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "ui/errors.h"
#include "ui/text.h"

namespace nv {

std::string RegistryValueText(const RegistryValue& v) {
  if (!v.present) return "";
  switch (v.type) {
    case regtype::kString:
    case regtype::kExpandString:
      return v.data.substr(0, v.data.find('\0'));
    case regtype::kDword: {
      // A short value is what it is: only the bytes that are there count.
      std::uint32_t n = 0;
      std::memcpy(&n, v.data.data(), std::min<size_t>(v.data.size(), sizeof n));
      return UnsignedText(n);
    }
    default:
      throw Exception("Unsupported registry type");
  }
}

std::string ProductName(TOSProduct p) {
  static const char* const names[] = {
      "Unknown",        "Win95",          "Win98",          "WinMe",          "WinNT4",
      "Win2000",        "WinXP",          "WinServer 2003", "WinVista",       "WinServer 2008",
      "Win7",           "WinServer 2008 R2", "Win8",        "WinServer 2012", "Win8.1",
      "WinServer 2012 R2", "Win10",       "Win11",          "WinServer 2016", "WinServer 2019",
      "WinServer 2022", "WinServer 2025"};
  static_assert(std::size(names) == kOSProductCount, "a name for every product");
  const int i = static_cast<int>(p);
  return i >= 0 && i < kOSProductCount ? names[i] : names[0];
}

std::string ProductTypeName(TOSProductType t) {
  static const char* const names[] = {"NA", "Unknown", "NT Workstation", "NT Server", "NT Domain Controller",
                                      "NT Advanced Server"};
  const int i = static_cast<int>(t);
  return i >= 0 && i < 6 ? names[i] : names[1];
}

std::string BoolText(bool b) { return b ? "True" : "False"; }

std::string DriveTypeText(std::uint32_t driveType) {
  switch (driveType) {
    case 2: return " Floppy Drive";
    case 3: return " Fixed Drive";
    case 4: return " Network Drive";
    case 5: return " CD-ROM Drive";
    case 6: return " RAM Disk";
    default: return "";
  }
}

std::string VolumeSerialText(std::uint32_t serial) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04X--%04X", static_cast<unsigned>(serial >> 16),
                static_cast<unsigned>(serial & 0xFFFF));
  return buf;
}

namespace {
std::string OrUnknown(const std::optional<std::string>& s) { return s ? *s : "unknown"; }
std::string OrUnknown(const std::optional<std::uint32_t>& n) { return n ? UnsignedText(*n) : "unknown"; }
}  // namespace

SystemReport FormatReport(const ReportFacts& f) {
  SystemReport r;
  auto add = [&r](std::string line) { r.Lines.push_back(std::move(line)); };
  const OSValues& os = f.OS;
  try {
    add("Physical memory:   " + UnsignedText(f.TotalPhys) + " Bytes");
    add("Available memory:   " + UnsignedText(f.AvailPhys) + " Bytes");
    add("Computer name:   " + OrUnknown(f.ComputerName));
    add("Windows Product ID:   " + RegistryValueText(f.ProductId));
    add("Product:   " + ProductName(osinfo::Product(os)));
    add("Edition:   " + osinfo::Edition(os));
    add("Build Number:   " + UnsignedText(os.BuildNumber));
    // Windows 10 and 11 name their feature updates; older systems keep the
    // report as it always was.
    if (!os.DisplayVersion.empty()) add("Version:   " + os.DisplayVersion);
    add("Service Pack:   " + osinfo::ServicePack(os));
    add("Service Pack Major:   " + UnsignedText(os.ServicePackMajor));
    add("Service Pack Minor:   " + UnsignedText(os.ServicePackMinor));
    add("Product Type:   " + ProductTypeName(osinfo::ProductType(os)));
    add("Is Win9x:   " + BoolText(osinfo::IsWin9x(os)));
    add("Is WinNT:   " + BoolText(osinfo::IsWinNT(os)));
    add("Is Server:   " + BoolText(osinfo::IsServer(os)));
    add("Is Tablet:   " + BoolText(os.TabletMetric));
    add("Is Media Center:   " + BoolText(os.MediaCenterMetric));
    add("Is WOW64:   " + BoolText(osinfo::IsWOW64(os)));
    add("User name:   " + OrUnknown(f.UserName));
    add("OS version:   " + (f.OSVersion ? UnsignedText(f.OSVersion->first) + "." + UnsignedText(f.OSVersion->second)
                                         : std::string("unknown")));
    add("Processors:   " + OrUnknown(f.Processors));
    add("Processor type:   " + OrUnknown(f.ProcessorType));
    for (int i = 0; i < 26; ++i) {
      const std::string type = DriveTypeText(f.DriveTypes[static_cast<size_t>(i)]);
      if (!type.empty()) add(std::string(1, static_cast<char>('A' + i)) + ":\\" + type);
    }
    // Port names are strings; a value of another type names no port.
    for (const RegistryValue& port : f.SerialPorts) {
      if (port.present && (port.type == regtype::kString || port.type == regtype::kExpandString))
        add(RegistryValueText(port));
    }
    add("Hard drive s/n: " + VolumeSerialText(f.VolumeSerial));
  } catch (const std::exception& e) {
    r.Error = e.what();
  }
  return r;
}

}  // namespace nv
