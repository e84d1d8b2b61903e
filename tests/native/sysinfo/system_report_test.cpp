#include "sysinfo/system_report.h"

#include <gtest/gtest.h>

#include "ui/errors.h"

namespace nv {
namespace {

RegistryValue Value(std::uint32_t type, std::string data) { return RegistryValue{true, type, std::move(data)}; }
RegistryValue Dword(std::uint32_t n) {
  std::string d(4, '\0');
  for (int i = 0; i < 4; ++i) d[static_cast<size_t>(i)] = static_cast<char>((n >> (8 * i)) & 0xFF);
  return Value(regtype::kDword, d);
}

// An XP Professional machine with two drives and two serial ports.
ReportFacts XpFacts() {
  ReportFacts f;
  f.TotalPhys = 17179869184ull;  // 16 GB: beyond what 32 bits can count
  f.AvailPhys = 4294967296ull + 5;
  f.ComputerName = "DESK";
  f.ProductId = Value(regtype::kString, std::string("55274-640-1011873-23081\0", 24));
  f.OS.Platform = 2;
  f.OS.MajorVersion = 5;
  f.OS.MinorVersion = 1;
  f.OS.BuildNumber = 2600;
  f.OS.CSDVersion = "Service Pack 3";
  f.OS.ExtendedInfo = true;
  f.OS.ServicePackMajor = 3;
  f.OS.RawProductType = 1;
  f.OS.TabletMetric = true;
  f.OS.Wow64 = Wow64Query::Yes;
  f.UserName = "anna";
  f.OSVersion = std::make_pair(5u, 1u);
  f.Processors = 2;
  f.ProcessorType = 586;
  f.DriveTypes[0] = 2;   // A: floppy
  f.DriveTypes[2] = 3;   // C: fixed
  f.DriveTypes[3] = 5;   // D: CD-ROM
  f.DriveTypes[7] = 1;   // H: no root: no line
  f.DriveTypes[12] = 4;  // M: network
  f.DriveTypes[17] = 6;  // R: RAM disk
  f.DriveTypes[24] = 0;  // Y: unknown: no line
  f.DriveTypes[25] = 3;  // Z: fixed
  f.SerialPorts = {Value(regtype::kString, std::string("COM1\0", 5)), Value(regtype::kString, "COM3")};
  f.VolumeSerial = 0x00AB0001;
  return f;
}

TEST(SystemReport, EveryLineInOrderWithItsLabel) {
  const SystemReport r = FormatReport(XpFacts());
  EXPECT_FALSE(r.Error);
  const std::vector<std::string> expected = {
      "Physical memory:   17179869184 Bytes",
      "Available memory:   4294967301 Bytes",
      "Computer name:   DESK",
      "Windows Product ID:   55274-640-1011873-23081",
      "Product:   WinXP",
      "Edition:   Tablet PC Edition",
      "Build Number:   2600",
      "Service Pack:   Service Pack 3",
      "Service Pack Major:   3",
      "Service Pack Minor:   0",
      "Product Type:   NT Workstation",
      "Is Win9x:   False",
      "Is WinNT:   True",
      "Is Server:   False",
      "Is Tablet:   True",
      "Is Media Center:   False",
      "Is WOW64:   True",
      "User name:   anna",
      "OS version:   5.1",
      "Processors:   2",
      "Processor type:   586",
      "A:\\ Floppy Drive",
      "C:\\ Fixed Drive",
      "D:\\ CD-ROM Drive",
      "M:\\ Network Drive",
      "R:\\ RAM Disk",
      "Z:\\ Fixed Drive",
      "COM1",
      "COM3",
      "Hard drive s/n: 00AB--0001",
  };
  EXPECT_EQ(r.Lines, expected);
}

TEST(SystemReport, FailedCallsShowUnknownAndTheReportGoesOn) {
  ReportFacts f = XpFacts();
  f.ComputerName.reset();
  f.UserName.reset();
  f.OSVersion.reset();
  f.Processors.reset();
  f.ProcessorType.reset();
  f.ProductId = RegistryValue{};  // no Product ID
  f.SerialPorts.clear();
  f.VolumeSerial = 0;  // the volume call failed
  const SystemReport r = FormatReport(f);
  ASSERT_FALSE(r.Error);
  EXPECT_EQ(r.Lines[2], "Computer name:   unknown");
  EXPECT_EQ(r.Lines[3], "Windows Product ID:   ");
  EXPECT_EQ(r.Lines[17], "User name:   unknown");
  EXPECT_EQ(r.Lines[18], "OS version:   unknown");
  EXPECT_EQ(r.Lines[19], "Processors:   unknown");
  EXPECT_EQ(r.Lines[20], "Processor type:   unknown");
  // Without serial ports the drives lead straight to the serial number.
  EXPECT_EQ(r.Lines[r.Lines.size() - 2], "Z:\\ Fixed Drive");
  EXPECT_EQ(r.Lines.back(), "Hard drive s/n: 0000--0000");
}

TEST(SystemReport, NumericProductIdAndPlainWindows9x) {
  ReportFacts f;
  f.ProductId = Dword(4000000000u);
  f.OS.Platform = 1;
  f.OS.MajorVersion = 4;
  f.OS.MinorVersion = 10;
  f.OS.BuildNumber = 2222;
  f.OS.CSDVersion = "A";
  const SystemReport r = FormatReport(f);
  ASSERT_FALSE(r.Error);
  EXPECT_EQ(r.Lines[3], "Windows Product ID:   4000000000");
  EXPECT_EQ(r.Lines[4], "Product:   Win98");
  EXPECT_EQ(r.Lines[5], "Edition:   ");
  EXPECT_EQ(r.Lines[7], "Service Pack:   SE");
  EXPECT_EQ(r.Lines[10], "Product Type:   NA");
  EXPECT_EQ(r.Lines[11], "Is Win9x:   True");
  EXPECT_EQ(r.Lines[16], "Is WOW64:   False") << "no IsWow64Process";
  EXPECT_EQ(r.Lines[21], "Hard drive s/n: 0000--0000") << "no drives, no ports";
  EXPECT_EQ(r.Lines.size(), 22u);
}

TEST(SystemReport, UnsupportedProductIdTypeStopsAfterLineThree) {
  ReportFacts f = XpFacts();
  f.ProductId = Value(regtype::kBinary, "\x01\x02");
  const SystemReport r = FormatReport(f);
  ASSERT_TRUE(r.Error);
  EXPECT_EQ(*r.Error, "Unsupported registry type");
  ASSERT_EQ(r.Lines.size(), 3u);
  EXPECT_EQ(r.Lines[2], "Computer name:   DESK");
}

TEST(SystemReport, FailedWow64QueryStopsBeforeItsLine) {
  ReportFacts f = XpFacts();
  f.OS.Wow64 = Wow64Query::Failed;
  const SystemReport r = FormatReport(f);
  ASSERT_TRUE(r.Error);
  EXPECT_EQ(*r.Error, "Bad process handle");
  ASSERT_EQ(r.Lines.size(), 16u);
  EXPECT_EQ(r.Lines.back(), "Is Media Center:   False");
}

TEST(SystemReport, ServerNamesAndLaterWindows) {
  ReportFacts f;
  f.OS.Platform = 2;
  f.OS.MajorVersion = 5;
  f.OS.MinorVersion = 2;
  f.OS.ExtendedInfo = true;
  f.OS.RawProductType = 2;
  EXPECT_EQ(FormatReport(f).Lines[4], "Product:   WinServer 2003");
  EXPECT_EQ(FormatReport(f).Lines[10], "Product Type:   NT Domain Controller");
  EXPECT_EQ(FormatReport(f).Lines[13], "Is Server:   True");
  f.OS.ExtendedInfo = false;
  f.OS.ProductOptionsKeyOpened = true;
  f.OS.RegistryProductType = "SERVERNT";
  EXPECT_EQ(FormatReport(f).Lines[10], "Product Type:   NT Advanced Server");
  f.OS.RegistryProductType = "?";
  EXPECT_EQ(FormatReport(f).Lines[10], "Product Type:   Unknown");
  f.OS.MajorVersion = 7;
  EXPECT_EQ(FormatReport(f).Lines[4], "Product:   Unknown");
  // Windows 11 with its edition and feature update: one row more, after the
  // build number; the rows after it keep their order.
  f.OS.MajorVersion = 10;
  f.OS.MinorVersion = 0;
  f.OS.BuildNumber = 22631;
  f.OS.ExtendedInfo = true;
  f.OS.RawProductType = 1;
  f.OS.ProductInfo = 0x30;
  f.OS.DisplayVersion = "23H2";
  const SystemReport eleven = FormatReport(f);
  EXPECT_EQ(eleven.Lines[4], "Product:   Win11");
  EXPECT_EQ(eleven.Lines[5], "Edition:   Pro");
  EXPECT_EQ(eleven.Lines[6], "Build Number:   22631");
  EXPECT_EQ(eleven.Lines[7], "Version:   23H2");
  EXPECT_EQ(eleven.Lines[8].rfind("Service Pack:", 0), 0u);
}

TEST(RegistryValueText, TypesAndMalformedData) {
  EXPECT_EQ(RegistryValueText(RegistryValue{}), "") << "missing value";
  EXPECT_EQ(RegistryValueText(Value(regtype::kString, "")), "");
  EXPECT_EQ(RegistryValueText(Value(regtype::kString, "no terminator")), "no terminator");
  EXPECT_EQ(RegistryValueText(Value(regtype::kString, std::string("one\0two", 7))), "one");
  EXPECT_EQ(RegistryValueText(Value(regtype::kExpandString, "%SystemRoot%")), "%SystemRoot%")
      << "shown as stored, not expanded";
  EXPECT_EQ(RegistryValueText(Dword(0)), "0");
  EXPECT_EQ(RegistryValueText(Dword(0xFFFFFFFFu)), "4294967295");
  EXPECT_EQ(RegistryValueText(Value(regtype::kDword, "\x07")), "7") << "a short value is not read past its end";
  for (std::uint32_t t : {0u, regtype::kBinary, 7u, 11u}) {
    try {
      RegistryValueText(Value(t, "x"));
      ADD_FAILURE() << "type " << t;
    } catch (const Exception& e) {
      EXPECT_STREQ(e.what(), "Unsupported registry type");
    }
  }
}

TEST(SystemReport, SmallFormats) {
  EXPECT_EQ(VolumeSerialText(0x1A2B3C4D), "1A2B--3C4D");
  EXPECT_EQ(VolumeSerialText(0x43000000), "4300--0000");
  EXPECT_EQ(VolumeSerialText(0xFFFFFFFF), "FFFF--FFFF");
  EXPECT_EQ(DriveTypeText(7), "");
  // A serial-port value that is not a string names no port.
  ReportFacts f;
  f.SerialPorts = {Dword(1), Value(regtype::kString, "COM2")};
  const SystemReport r = FormatReport(f);
  EXPECT_EQ(r.Lines[r.Lines.size() - 2], "COM2");
}

}  // namespace
}  // namespace nv
