// The resource swapper's work for one request that carries the game host's
// marker, on the window's thread: with no swap folder (most players), with a
// folder but no file, and with the file, over a real temporary folder: each
// check costs what a real stat or open costs on this machine.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

#include "common/files.h"
#include "common/text.h"
#include "webhost/resource_swapper.h"

namespace {

namespace fs = std::filesystem;

// Maps the Windows-style paths the swapper builds onto a temporary folder.
class TempSwapFolder final : public vantor::SwapFolderAccess {
 public:
  explicit TempSwapFolder(const fs::path& root) : root_(root) {}
  std::wstring DocumentsFolder() override { return L"Documents"; }
  bool FolderExists(const std::wstring& path) override {
    std::error_code error;
    return fs::is_directory(Native(path), error);
  }
  bool FileReadable(const std::wstring& path) override { return vantor::FileExists(Native(path)); }

 private:
  std::string Native(std::wstring path) const {
    for (wchar_t& c : path) {
      if (c == L'\\') c = L'/';
    }
    return (root_ / vantor::WideToUtf8(path)).string();
  }
  fs::path root_;
};

enum Layout { kNoFolder, kFolderNoFile, kFile };

void SwapLookup(benchmark::State& state, Layout layout) {
  const fs::path root = fs::temp_directory_path() / "vantor-swap-bench";
  fs::remove_all(root);
  const fs::path swap = root / "Documents" / "Vantor" / "ResourceSwapper";
  if (layout != kNoFolder) fs::create_directories(swap / "img");
  if (layout == kFile) std::ofstream(swap / "img" / "a.png") << "png";
  TempSwapFolder access(root);
  for (auto _ : state) {
    auto file = vantor::FindSwapFile(L"https://vantor.io/img/a.png?v=3", access);
    benchmark::DoNotOptimize(file);
  }
  fs::remove_all(root);
}
BENCHMARK_CAPTURE(SwapLookup, no_folder, kNoFolder);
BENCHMARK_CAPTURE(SwapLookup, folder_no_file, kFolderNoFile);
BENCHMARK_CAPTURE(SwapLookup, file, kFile);

// A request without the marker: one text search, nothing else.
void SwapLookup_OtherHost(benchmark::State& state) {
  TempSwapFolder access(fs::temp_directory_path());
  for (auto _ : state) {
    auto file = vantor::FindSwapFile(L"https://cdn.other.example/lib/game-engine.js?v=12", access);
    benchmark::DoNotOptimize(file);
  }
}
BENCHMARK(SwapLookup_OtherHost);

}  // namespace
