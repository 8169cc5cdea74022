#include "AdPackages.h"

#include <unistd.h>
#include <zip.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "PngImage.h"

namespace tembra {

namespace {

// 2024-01-01 00:00:00 UTC: a fixed member time keeps the packages identical
// from run to run.
constexpr time_t kMemberTime = 1704067200;

std::string indexPage(const std::string& title) {
  return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + title +
         "</title>\n<link rel=\"stylesheet\" href=\"css/style.css\"></head>\n"
         "<body><h1>" + title + "</h1>\n<p><img src=\"logo.png\" alt=\"logo\"></p>\n"
         "<p class=\"small\">Demo advertisement of the Tembra demo service.</p></body></html>\n";
}

std::string styleSheet(uint32_t colour) {
  char buf[160];
  std::snprintf(buf, sizeof buf,
                "body { margin: 0; font-family: sans-serif; background: #%06x; color: #fff; }\n"
                "h1 { font-size: 18px; padding: 8px; }\n.small { font-size: 11px; }\n",
                colour);
  return buf;
}

}  // namespace

bool AdPackages::buildOne(const std::string& path, const std::string& title, uint32_t colour,
                          std::string& bytes, std::string& error) {
  // libzip keeps the buffers until zip_close, so they live here.
  const std::vector<std::pair<std::string, std::string>> files = {
      {"index.html", indexPage(title)},
      {"logo.png", PngImage::Make(96, 48, colour)},
      {"css/style.css", styleSheet(colour)},
  };
  std::string temp = path + "." + std::to_string(getpid()) + ".tmp";
  int code = 0;
  zip_t* archive = zip_open(temp.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
  if (!archive) {
    error = "cannot create " + temp;
    return false;
  }
  bool ok = true;
  zip_int64_t dir = zip_dir_add(archive, "css", ZIP_FL_ENC_UTF_8);
  ok = dir >= 0 && zip_file_set_mtime(archive, static_cast<zip_uint64_t>(dir), kMemberTime, 0) == 0;
  for (const auto& [name, content] : files) {
    if (!ok) break;
    zip_source_t* source = zip_source_buffer(archive, content.data(), content.size(), 0);
    zip_int64_t index = source ? zip_file_add(archive, name.c_str(), source, ZIP_FL_ENC_UTF_8) : -1;
    if (index < 0) {
      if (source) zip_source_free(source);
      ok = false;
      break;
    }
    auto i = static_cast<zip_uint64_t>(index);
    ok = zip_set_file_compression(archive, i, ZIP_CM_DEFLATE, 9) == 0 &&
         zip_file_set_mtime(archive, i, kMemberTime, 0) == 0;
  }
  if (!ok) {
    error = std::string("building ") + path + ": " + zip_strerror(archive);
    zip_discard(archive);
    std::filesystem::remove(temp);
    return false;
  }
  if (zip_close(archive) != 0) {
    error = std::string("writing ") + path + ": " + zip_strerror(archive);
    zip_discard(archive);
    std::filesystem::remove(temp);
    return false;
  }
  std::error_code ec;
  std::filesystem::rename(temp, path, ec);
  if (ec) {
    error = "cannot rename " + temp + ": " + ec.message();
    std::filesystem::remove(temp, ec);
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  bytes = content.str();
  if (bytes.empty()) {
    error = "cannot read back " + path;
    return false;
  }
  return true;
}

bool AdPackages::Build(const std::string& cacheFolder, std::string& error) {
  std::string folder = cacheFolder + "/ads";
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (ec) {
    error = "cannot create " + folder + ": " + ec.message();
    return false;
  }
  return buildOne(folder + "/fix.zip", "Tembra Demo: Right Pane", 0x1F5F8B, fix_, error) &&
         buildOne(folder + "/pop.zip", "Tembra Demo: Pop-up", 0x8B3A1F, pop_, error);
}

const std::string* AdPackages::Find(const std::string& name) const {
  if (name == "fix.zip") return &fix_;
  if (name == "pop.zip") return &pop_;
  return nullptr;
}

std::string AdPackages::Manifest(const std::string& base, bool rightAsLink, int64_t modifyTime) {
  const std::string time = std::to_string(modifyTime);
  std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<result>\n";
  if (rightAsLink) {
    out += "<ad><key>WEB_TV_AD_RIGHT</key><type>1</type><modifyTime>" + time +
           "</modifyTime><filePath>" + base + "ads/link.html</filePath></ad>\n";
  } else {
    out += "<ad><key>WEB_TV_AD_RIGHT</key><type>2</type><modifyTime>" + time +
           "</modifyTime><filePath>" + base + "ads/fix.zip</filePath></ad>\n";
  }
  out += "<ad><key>WEB_TV_AD_POP</key><type>2</type><modifyTime>" + time +
         "</modifyTime><filePath>" + base + "ads/pop.zip</filePath></ad>\n</result>\n";
  return out;
}

std::string AdPackages::LinkPage() {
  return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Tembra Demo Link Ad</title>"
         "</head><body style=\"font-family: sans-serif\"><h1>Link advertisement</h1>"
         "<p>This page is shown by address, not unpacked from a package.</p></body></html>\n";
}

}  // namespace tembra
