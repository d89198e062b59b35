#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/kernel/Error.h"
#include "platform/gdi/Gdi.h"
#include "tests/support/TempDir.h"

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Page objects of a PDF ("/Type /Page", not the "/Type /Pages" tree).
int CountPages(const std::string& pdf) {
  int pages = 0;
  for (size_t at = pdf.find("/Type /Page"); at != std::string::npos; at = pdf.find("/Type /Page", at + 1))
    if (at + 11 >= pdf.size() || pdf[at + 11] != 's') ++pages;
  return pages;
}

class PrintTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetPrinterCaptureFolder(dir.Path().string());
    platform::SetRawPrinterNames({platform::kDefaultRawPrinterName});
    platform::SetRawPrinterFailure(platform::RawPrinterStep::None);
    platform::ClearPrintJobs();
  }
  void TearDown() override { platform::SetRawPrinterFailure(platform::RawPrinterStep::None); }
  qvtest::TempDir dir;
};

TEST_F(PrintTest, PdfDocumentHasOnePagePerStartPageEndPage) {
  std::string path = dir.File("plot.pdf");
  HDC dc = platform::CreatePdfPrinterDC(path.c_str());
  ASSERT_NE(dc, nullptr);
  EXPECT_TRUE(platform::IsPrinterDC(dc));
  EXPECT_EQ(platform::PrinterNameOfDC(dc), "PDF");
  int v = GetDeviceCaps(dc, VERTRES), h = GetDeviceCaps(dc, HORZRES);
  EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 300);
  EXPECT_EQ(h, 2550);
  EXPECT_EQ(v, 3300);
  EXPECT_EQ(GetDeviceCaps(dc, TECHNOLOGY), DT_RASPRINTER);
  EXPECT_LE(StartPage(dc), 0);  // no document yet
  DOCINFO info;
  info.lpszDocName = "Qv95 PLOT";
  ASSERT_GT(StartDoc(dc, &info), 0);
  for (int page = 0; page < 3; ++page) {
    ASSERT_GT(StartPage(dc), 0);
    Rectangle(dc, h / 20, v / 10, h * 19 / 20, v * 9 / 10);
    POINT trace[] = {{200, 400}, {800, 1200}, {1600, 500}};
    Polyline(dc, trace, 3);
    TextOut(dc, 300, 300, "PAGE", 4);
    ASSERT_GT(EndPage(dc), 0);
  }
  EXPECT_FALSE(std::filesystem::exists(path));  // only complete documents appear
  ASSERT_GT(EndDoc(dc), 0);
  DeleteDC(dc);
  std::string pdf = ReadAll(path);
  ASSERT_GE(pdf.size(), 5u);
  EXPECT_EQ(pdf.substr(0, 5), "%PDF-");
  EXPECT_EQ(CountPages(pdf), 3);
  EXPECT_FALSE(std::filesystem::exists(path + ".part"));
  auto jobs = platform::PrintJobs();
  ASSERT_EQ(jobs.size(), 1u);
  EXPECT_EQ(jobs[0].document, "Qv95 PLOT");
  EXPECT_EQ(jobs[0].pages, 3);
  EXPECT_TRUE(jobs[0].completed);
  EXPECT_FALSE(jobs[0].raw);
}

TEST_F(PrintTest, AbortedOrUnwritableDocumentsLeaveNoFileAndKeepTheOldOne) {
  std::string path = dir.File("old.pdf");
  { std::ofstream(path) << "previous"; }
  HDC dc = CreateDC(nullptr, "PDF", path.c_str(), nullptr);
  ASSERT_NE(dc, nullptr);
  DOCINFO info;
  ASSERT_GT(StartDoc(dc, &info), 0);
  StartPage(dc);
  EXPECT_GT(AbortDoc(dc), 0);
  EXPECT_EQ(ReadAll(path), "previous");
  EXPECT_FALSE(std::filesystem::exists(path + ".part"));
  EXPECT_LE(EndDoc(dc), 0);
  DeleteDC(dc);

  HDC bad = platform::CreatePdfPrinterDC(dir.File("no/such/folder/x.pdf").c_str());
  EXPECT_LE(StartDoc(bad, &info), 0);
  DeleteDC(bad);
  EXPECT_EQ(CreateDC(nullptr, "Epson FX-871", nullptr, nullptr), nullptr);
}

TEST_F(PrintTest, RawPrinterCapturesExactBytesIncludingZeros) {
  auto names = platform::PrinterNames();
  ASSERT_EQ(names.size(), 2u);
  EXPECT_EQ(names[0], "PDF");
  EXPECT_EQ(names[1], "Epson FX-870");
  HANDLE printer = nullptr;
  ASSERT_TRUE(OpenPrinter("Epson FX-870", &printer, nullptr));
  DOC_INFO_1 doc;
  doc.pDocName = "SCROLLED PRINT";
  doc.pDatatype = "RAW";
  DWORD job = StartDocPrinter(printer, 1, &doc);
  ASSERT_NE(job, 0u);
  ASSERT_TRUE(StartPagePrinter(printer));
  const unsigned char first[] = {0x1B, 0x40, 0x00, 0x1B, 0x4C, 0x03, 0x00, 0xFF, 0x00, 0x80};
  const unsigned char second[] = {0x0D, 0x1B, 0x34, 0x1B, 0x40};
  DWORD written = 0;
  ASSERT_TRUE(WritePrinter(printer, first, sizeof first, &written));
  EXPECT_EQ(written, sizeof first);
  ASSERT_TRUE(WritePrinter(printer, second, sizeof second, &written));
  EXPECT_TRUE(EndPagePrinter(printer));
  EXPECT_TRUE(EndDocPrinter(printer));
  EXPECT_TRUE(ClosePrinter(printer));
  EXPECT_FALSE(ClosePrinter(printer));
  EXPECT_FALSE(WritePrinter(printer, first, 1, &written));

  auto jobs = platform::PrintJobs();
  ASSERT_EQ(jobs.size(), 1u);
  EXPECT_TRUE(jobs[0].raw);
  EXPECT_TRUE(jobs[0].completed);
  EXPECT_EQ(jobs[0].document, "SCROLLED PRINT");
  EXPECT_EQ(jobs[0].bytes, sizeof first + sizeof second);
  std::string expected(reinterpret_cast<const char*>(first), sizeof first);
  expected.append(reinterpret_cast<const char*>(second), sizeof second);
  EXPECT_EQ(ReadAll(jobs[0].path), expected);
  EXPECT_EQ(std::filesystem::path(jobs[0].path).parent_path(), dir.Path());

  HANDLE unknown = nullptr;
  EXPECT_FALSE(OpenPrinter("Epson FX-870 ", &unknown, nullptr));
  EXPECT_EQ(unknown, nullptr);
}

TEST_F(PrintTest, InjectedFailuresAreReportedWithNothingClaimedWritten) {
  platform::SetRawPrinterFailure(platform::RawPrinterStep::Open);
  HANDLE printer = nullptr;
  EXPECT_FALSE(OpenPrinter("Epson FX-870", &printer, nullptr));
  EXPECT_FALSE(platform::LastErrorText().empty());

  // The second write fails: the first block stays, the second is neither written nor claimed.
  platform::SetRawPrinterFailure(platform::RawPrinterStep::Write, 1);
  ASSERT_TRUE(OpenPrinter("Epson FX-870", &printer, nullptr));
  DOC_INFO_1 doc;
  doc.pDocName = "SCROLLED PRINT";
  ASSERT_NE(StartDocPrinter(printer, 1, &doc), 0u);
  const char block[] = {'A', '\0', 'B'};
  DWORD written = 99;
  EXPECT_TRUE(WritePrinter(printer, block, 3, &written));
  EXPECT_EQ(written, 3u);
  written = 99;
  EXPECT_FALSE(WritePrinter(printer, block, 3, &written));
  EXPECT_EQ(written, 0u);
  platform::SetRawPrinterFailure(platform::RawPrinterStep::None);
  EXPECT_TRUE(EndDocPrinter(printer));
  EXPECT_TRUE(ClosePrinter(printer));
  auto jobs = platform::PrintJobs();
  ASSERT_EQ(jobs.size(), 1u);
  EXPECT_EQ(jobs[0].bytes, 3u);
  EXPECT_EQ(ReadAll(jobs[0].path), std::string("A\0B", 3));

  platform::SetRawPrinterFailure(platform::RawPrinterStep::StartDoc);
  ASSERT_TRUE(OpenPrinter("Epson FX-870", &printer, nullptr));
  EXPECT_EQ(StartDocPrinter(printer, 1, &doc), 0u);
  EXPECT_FALSE(WritePrinter(printer, block, 3, &written));
  EXPECT_EQ(written, 0u);
  platform::SetRawPrinterFailure(platform::RawPrinterStep::Close);
  EXPECT_FALSE(ClosePrinter(printer));
  platform::SetRawPrinterFailure(platform::RawPrinterStep::None);
  EXPECT_TRUE(ClosePrinter(printer));
  EXPECT_EQ(platform::PrintJobs().size(), 1u);
}

}  // namespace
