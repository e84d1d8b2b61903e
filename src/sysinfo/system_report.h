// The About window's system report: plain-text lines over facts the
// platform side has gathered. Keeping the formatting here, apart from the
// gathering, lets every line, fallback and stopping rule be checked
// without Windows.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sysinfo/os_info.h"

namespace nv {

// Registry value types that matter here (the Win32 REG_* numbers).
namespace regtype {
constexpr std::uint32_t kString = 1;        // REG_SZ
constexpr std::uint32_t kExpandString = 2;  // REG_EXPAND_SZ
constexpr std::uint32_t kBinary = 3;        // REG_BINARY
constexpr std::uint32_t kDword = 4;         // REG_DWORD
}  // namespace regtype

// A value as read from the registry: its type and raw bytes (strings in the
// ANSI form the A calls give). Absent when the key or value is missing.
struct RegistryValue {
  bool present = false;
  std::uint32_t type = 0;
  std::string data;
};

// The registry value reader's answer: empty text for a missing value, the
// text of a string, the decimal form of a 32-bit integer; any other type
// raises Exception("Unsupported registry type"). Strings end at their first
// NUL, or at the end of the data when the terminator is missing.
std::string RegistryValueText(const RegistryValue& v);

// Everything the report shows, as the platform gave it. An empty optional
// stands for a call that failed.
struct ReportFacts {
  std::uint64_t TotalPhys = 0, AvailPhys = 0;
  std::optional<std::string> ComputerName;
  RegistryValue ProductId;
  OSValues OS;
  std::optional<std::string> UserName;
  std::optional<std::pair<std::uint32_t, std::uint32_t>> OSVersion;  // major, minor
  std::optional<std::uint32_t> Processors, ProcessorType;
  // GetDriveTypeA of "A:\" .. "Z:\".
  std::array<std::uint32_t, 26> DriveTypes{};
  // Values of HKLM\hardware\devicemap\serialcomm, in registry order.
  std::vector<RegistryValue> SerialPorts;
  std::uint32_t VolumeSerial = 0;  // of c:\, 0 when the call failed
};

struct SystemReport {
  std::vector<std::string> Lines;
  // The error that stopped the report early ("Unsupported registry type",
  // "Bad process handle"); the lines before it are kept.
  std::optional<std::string> Error;
};

SystemReport FormatReport(const ReportFacts& facts);

// Name tables and small formats the report uses.
std::string ProductName(TOSProduct p);
std::string ProductTypeName(TOSProductType t);
std::string BoolText(bool b);
// " Fixed Drive" and the like; empty for types that give no line.
std::string DriveTypeText(std::uint32_t driveType);
// "00AB--0001": high and low halves, four upper-case hex digits each.
std::string VolumeSerialText(std::uint32_t serial);

}  // namespace nv
