#pragma once

#include <miniz.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace vantor::test {

// Writes a zip archive of stored (uncompressed) entries with exactly the names
// given, hostile ones included: the library's own writer refuses some of the
// names an attacker's archive can hold.
class ZipWriter {
 public:
  void Add(const std::string& name, const std::string& content) {
    entries_.push_back({name, content, static_cast<std::uint32_t>(out_.size())});
    const std::uint32_t crc =
        static_cast<std::uint32_t>(mz_crc32(MZ_CRC32_INIT, Bytes(content), content.size()));
    entries_.back().crc = crc;
    Put32(0x04034b50);
    Put16(20), Put16(0x0800), Put16(0), Put16(0), Put16(0);  // version, UTF-8, stored, time, date
    Put32(crc), Put32(Size(content)), Put32(Size(content));
    Put16(static_cast<std::uint16_t>(name.size())), Put16(0);
    out_ += name;
    out_ += content;
  }

  void WriteTo(const std::filesystem::path& file) {
    std::string archive = out_;
    const std::uint32_t directoryStart = Size(archive);
    std::swap(out_, archive);
    for (const Entry& e : entries_) {
      Put32(0x02014b50);
      Put16(20), Put16(20), Put16(0x0800), Put16(0), Put16(0), Put16(0);
      Put32(e.crc), Put32(Size(e.content)), Put32(Size(e.content));
      Put16(static_cast<std::uint16_t>(e.name.size())), Put16(0), Put16(0), Put16(0), Put16(0);
      Put32(e.name.back() == '/' ? 0x10 : 0), Put32(e.offset);
      out_ += e.name;
    }
    const std::uint32_t directorySize = Size(out_) - directoryStart;
    Put32(0x06054b50);
    Put16(0), Put16(0), Put16(static_cast<std::uint16_t>(entries_.size())),
        Put16(static_cast<std::uint16_t>(entries_.size()));
    Put32(directorySize), Put32(directoryStart), Put16(0);
    std::ofstream(file, std::ios::binary) << out_;
    std::swap(out_, archive);
  }

 private:
  struct Entry {
    std::string name, content;
    std::uint32_t offset = 0, crc = 0;
  };
  static const unsigned char* Bytes(const std::string& s) {
    return reinterpret_cast<const unsigned char*>(s.data());
  }
  static std::uint32_t Size(const std::string& s) { return static_cast<std::uint32_t>(s.size()); }
  void Put16(std::uint16_t v) {
    out_ += static_cast<char>(v & 0xFF);
    out_ += static_cast<char>(v >> 8);
  }
  void Put32(std::uint32_t v) {
    Put16(static_cast<std::uint16_t>(v & 0xFFFF));
    Put16(static_cast<std::uint16_t>(v >> 16));
  }

  std::string out_;
  std::vector<Entry> entries_;
};

}  // namespace vantor::test
