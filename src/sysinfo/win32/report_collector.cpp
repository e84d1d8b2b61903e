#include "sysinfo/win32/report_collector.h"

#include "sysinfo/win32/registry.h"
#include "ui/win32/win_text.h"

namespace nv {

namespace {

std::optional<std::string> GrabComputerName() {
  char buf[17] = {};
  DWORD size = sizeof buf;
  if (!::GetComputerNameA(buf, &size)) return std::nullopt;
  buf[sizeof buf - 1] = '\0';
  return AnsiToUtf8(buf);
}

std::optional<std::string> GrabUserName() {
  char buf[101] = {};
  DWORD size = sizeof buf;
  if (!::GetUserNameA(buf, &size)) return std::nullopt;
  buf[sizeof buf - 1] = '\0';
  return AnsiToUtf8(buf);
}

std::optional<std::pair<std::uint32_t, std::uint32_t>> GrabOSVersionNumber() {
  OSVERSIONINFOA v;
  ::ZeroMemory(&v, sizeof v);
  v.dwOSVersionInfoSize = sizeof v;
  if (!::GetVersionExA(&v)) return std::nullopt;
  return std::make_pair(static_cast<std::uint32_t>(v.dwMajorVersion), static_cast<std::uint32_t>(v.dwMinorVersion));
}

// Registry strings are in the ANSI code page; the report is UTF-8.
RegistryValue ToUtf8(RegistryValue v) {
  if (v.present && (v.type == REG_SZ || v.type == REG_EXPAND_SZ))
    v.data = AnsiToUtf8(v.data.substr(0, v.data.find('\0')));
  return v;
}

}  // namespace

ReportFacts CollectReportFacts(const ReportSources& sources) {
  ReportFacts f;
  // GlobalMemoryStatus stops at 4 GB; the extended call gives the true
  // 64-bit amounts.
  MEMORYSTATUSEX mem;
  ::ZeroMemory(&mem, sizeof mem);
  mem.dwLength = sizeof mem;
  if (::GlobalMemoryStatusEx(&mem)) {
    f.TotalPhys = mem.ullTotalPhys;
    f.AvailPhys = mem.ullAvailPhys;
  }
  f.ComputerName = GrabComputerName();
  f.OS = CurrentOSValues();
  {
    std::string path = sources.ProductIdKey;
    if (path.empty())
      path = f.OS.Platform == VER_PLATFORM_WIN32_NT ? "Software\\Microsoft\\Windows NT\\CurrentVersion"
                                                     : "Software\\Microsoft\\Windows\\CurrentVersion";
    if (UniqueHKey key = OpenKeyRead(sources.Root, path)) f.ProductId = ToUtf8(ReadValue(key.get(), "ProductID"));
  }
  f.UserName = GrabUserName();
  f.OSVersion = GrabOSVersionNumber();
  SYSTEM_INFO si;
  ::ZeroMemory(&si, sizeof si);
  ::GetSystemInfo(&si);
  f.Processors = si.dwNumberOfProcessors;
  f.ProcessorType = si.dwProcessorType;
  for (int i = 0; i < 26; ++i) {
    const char root[] = {static_cast<char>('A' + i), ':', '\\', '\0'};
    f.DriveTypes[static_cast<size_t>(i)] = ::GetDriveTypeA(root);
  }
  if (UniqueHKey key = OpenKeyRead(sources.Root, sources.SerialCommKey)) {
    for (RegistryValue& v : ReadAllValues(key.get())) f.SerialPorts.push_back(ToUtf8(std::move(v)));
  }
  DWORD serial = 0;
  ::GetVolumeInformationA(sources.VolumeRoot.c_str(), nullptr, 0, &serial, nullptr, nullptr, nullptr, 0);
  f.VolumeSerial = serial;
  return f;
}

}  // namespace nv
