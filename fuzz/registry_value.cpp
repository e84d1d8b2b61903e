// Registry values the system report reads (the Product ID and the serial
// port names): any type and any bytes give text or the one error for an
// unsupported type, and a report that stops there keeps its earlier lines.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "sysinfo/system_report.h"
#include "ui/errors.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  nv::RegistryValue v;
  v.present = true;
  v.type = data[0] % 12;
  v.data.assign(reinterpret_cast<const char*>(data + 1), size - 1);
  bool supported = true;
  try {
    const std::string text = nv::RegistryValueText(v);
    if (text.size() > v.data.size() + 10) __builtin_trap();
    if (text.find('\0') != std::string::npos) __builtin_trap();
  } catch (const nv::Exception& e) {
    supported = false;
    if (std::strcmp(e.what(), "Unsupported registry type") != 0) __builtin_trap();
  }
  nv::ReportFacts f;
  f.ProductId = v;
  // The same bytes as serial-port names, split at each 0xFF.
  std::string port;
  for (std::size_t i = 1; i <= size; ++i) {
    if (i == size || data[i] == 0xFF) {
      f.SerialPorts.push_back(nv::RegistryValue{true, data[0] % 3u, port});
      port.clear();
    } else {
      port += static_cast<char>(data[i]);
    }
  }
  const nv::SystemReport r = nv::FormatReport(f);
  if (supported == static_cast<bool>(r.Error)) __builtin_trap();
  if (!supported && r.Lines.size() != 3) __builtin_trap();
  if (supported && r.Lines.back().rfind("Hard drive s/n: ", 0) != 0) __builtin_trap();
  return 0;
}
