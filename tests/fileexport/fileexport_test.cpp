// Program-wide set-up of the file writer tests and the fixture's helpers.
#include "fileexport_test.h"

#include <fstream>
#include <iterator>

#include "base/bstr_win.h"
#include "base/variant_win.h"
#include "support/com_test_environment.h"

namespace zuvelo::testing {
namespace {

ZUVELO_COM_TEST_ENVIRONMENT();

std::string FilterBytes(const char* filter) {
  if (filter == nullptr) return {};
  const char* end = filter;
  while (end[0] != '\0' || end[1] != '\0') ++end;
  return std::string(filter, end + 2);
}

}  // namespace

void FileExportTest::SetUp() {
  ASSERT_TRUE(ProcessTraceListener().ok()) << "UDP 127.0.0.1:514 is not free";
  ASSERT_TRUE(ProcessTraceListener().keeps_only_this_process()) << "own trace lines do not arrive";
  ASSERT_TRUE(host_.ok());
  ASSERT_EQ(host_.Run(kAttemptHelper), S_OK);
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  folder_ = std::filesystem::temp_directory_path() /
            ("zuvelo-export-" + std::to_string(::GetCurrentProcessId()) + "-" + info->name());
  std::filesystem::remove_all(folder_);
  ASSERT_TRUE(std::filesystem::create_directory(folder_));
  ProcessTraceListener().Take(0);
}

void FileExportTest::TearDown() {
  EXPECT_TRUE(host_.TakeErrors().empty());
  host_.Close();
  writer_.reset();
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
  EXPECT_EQ(ProcessTraceListener().malformed(), 0);
}

void FileExportTest::MakeWriter(UINT code_page) {
  writer_ = IDispatchFileImpl::Create(owner_, code_page);
  ASSERT_TRUE(writer_);
  ASSERT_EQ(host_.AddNamedItem(L"file", writer_.get()), S_OK);
}

bool FileExportTest::Answer(OPENFILENAMEA& dialog) {
  DialogRequest request;
  request.fields = dialog;
  request.filter = FilterBytes(dialog.lpstrFilter);
  if (dialog.lpstrTitle) request.title = dialog.lpstrTitle;
  if (dialog.lpstrDefExt) request.default_extension = dialog.lpstrDefExt;
  if (dialog.lpstrFile) request.initial_file = dialog.lpstrFile;
  dialogs_.push_back(request);
  if (!answer_) return false;
  const std::string path = PathOf(*answer_).string();
  if (path.size() >= dialog.nMaxFile) return false;
  path.copy(dialog.lpstrFile, path.size());
  dialog.lpstrFile[path.size()] = '\0';
  return true;
}

std::wstring FileExportTest::Text(const wchar_t* expression) {
  unique_variant value;
  EXPECT_EQ(host_.Evaluate(expression, value.get()), S_OK)
      << ::testing::PrintToString(std::wstring(expression));
  if (value.type() == VT_BOOL) return V_BOOL(value.get()) ? L"true" : L"false";
  unique_variant text;
  if (FAILED(::VariantChangeType(text.get(), value.get(), 0, VT_BSTR))) return L"<no text>";
  return std::wstring(bstr_view(V_BSTR(text.get())));
}

std::wstring FileExportTest::Attempt(const wchar_t* statement) {
  return Text((L"attempt(function () { " + std::wstring(statement) + L" })").c_str());
}

std::string FileExportTest::Contents(const std::string& name) const {
  std::ifstream in(PathOf(name), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace zuvelo::testing
