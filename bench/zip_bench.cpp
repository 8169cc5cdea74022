// Extraction of a ~100 MB package of mixed members (page text, picture-like
// data, already-compressed data, thousands of small files in nested
// folders) by ZipReader against libzip doing the same work: every member
// written to its own file below a fresh folder, folders created, times set.
// The unzip program's time on the same archive is a detail line. Each side
// has a warm-up round and is then timed several times, the contenders
// taking turns; the figure is the fastest run in processor time (user and
// system: much of the work is file-system calls). The archive and the
// output live in memory (/dev/shm) where there is one.
#include <fcntl.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <cstring>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "ads/ZipReader.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr int kRuns = 5;

struct Member {
  std::string name;
  std::string data;
  bool deflate;
};

std::string text(size_t bytes, std::mt19937& random) {
  static const char* words[] = {"channel", "programme", "evening", "news",  "weather", "film",  "series",
                                "live",    "sport",     "music",   "today", "offer",   "price", "watch"};
  std::string out;
  out.reserve(bytes + 16);
  while (out.size() < bytes) {
    out += words[random() % std::size(words)];
    out += (random() % 11 == 0) ? ".\n" : " ";
  }
  out.resize(bytes);
  return out;
}

// Smooth gradients with a little noise, as photographs deflate.
std::string picture(size_t bytes, std::mt19937& random) {
  std::string out(bytes, '\0');
  for (size_t i = 0; i < bytes; ++i) out[i] = static_cast<char>((i / 7 % 256) + random() % 9);
  return out;
}

std::string noise(size_t bytes, std::mt19937& random) {
  std::string out(bytes, '\0');
  for (size_t i = 0; i < bytes; i += 4) {
    const uint32_t v = random();
    std::memcpy(&out[i], &v, std::min<size_t>(4, bytes - i));
  }
  return out;
}

std::vector<Member> members() {
  std::mt19937 random(42);
  std::vector<Member> out;
  for (int i = 0; i < 14; ++i) out.push_back({"pages/page" + std::to_string(i) + ".html", text(2500000, random), true});
  for (int i = 0; i < 48; ++i) out.push_back({"images/photo" + std::to_string(i) + ".bmp", picture(700000, random), true});
  for (int i = 0; i < 6; ++i) out.push_back({"media/clip" + std::to_string(i) + ".mp4", noise(4000000, random), false});
  for (int i = 0; i < 4000; ++i) {
    const std::string folder = "small/" + std::to_string(i % 20) + "/" + std::to_string(i % 7) + "/";
    out.push_back({folder + "item" + std::to_string(i) + ".css", text(600 + random() % 3000, random), true});
  }
  return out;
}

bool buildArchive(const std::string& path, const std::vector<Member>& list) {
  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  if (archive == nullptr) return false;
  for (const Member& m : list) {
    zip_source_t* source = zip_source_buffer(archive, m.data.data(), m.data.size(), 0);
    const zip_int64_t index = zip_file_add(archive, m.name.c_str(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0) return false;
    zip_set_file_compression(archive, index, m.deflate ? ZIP_CM_DEFLATE : ZIP_CM_STORE, 0);
    zip_file_set_mtime(archive, index, 1700000000, 0);
  }
  return zip_close(archive) == 0;
}

bool ours(const std::string& archive, const std::string& out) {
  tembra::ZipReader zip;
  if (zip.openArchive(archive) != tembra::ZipReader::kOk) return false;
  zip.setBaseFolder(out);
  tembra::ZipItem all;
  zip.getItem(-1, all);
  bool ok = true;
  for (int32_t i = 0; i < all.index; ++i) {
    tembra::ZipItem item;
    ok = zip.getItem(i, item) == tembra::ZipReader::kOk && zip.extractItem(i, item.name) == tembra::ZipReader::kOk && ok;
  }
  zip.closeArchive();
  return ok;
}

void makeParents(const std::string& path) {
  for (size_t at = path.find('/', 1); at != std::string::npos; at = path.find('/', at + 1))
    ::mkdir(path.substr(0, at).c_str(), 0777);
}

bool withLibzip(const std::string& archive, const std::string& out) {
  int error = 0;
  zip_t* z = zip_open(archive.c_str(), ZIP_RDONLY, &error);
  if (z == nullptr) return false;
  std::vector<char> buffer(16384);
  bool ok = true;
  const zip_int64_t count = zip_get_num_entries(z, 0);
  for (zip_int64_t i = 0; i < count && ok; ++i) {
    zip_stat_t st;
    zip_stat_index(z, i, 0, &st);
    const std::string path = out + "/" + st.name;
    makeParents(path);
    if (path.back() == '/') continue;
    zip_file_t* f = zip_fopen_index(z, i, 0);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    ok = f != nullptr && fd >= 0;
    for (zip_int64_t n; ok && (n = zip_fread(f, buffer.data(), buffer.size())) > 0;)
      ok = ::write(fd, buffer.data(), static_cast<size_t>(n)) == n;
    const timespec times[2] = {{st.mtime, 0}, {st.mtime, 0}};
    ::futimens(fd, times);
    if (fd >= 0) ::close(fd);
    if (f != nullptr) zip_fclose(f);
  }
  zip_close(z);
  return ok;
}

bool unzipProgram(const std::string& archive, const std::string& out) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, 1);
    ::dup2(null, 2);
    ::execlp("unzip", "unzip", "-q", "-o", archive.c_str(), "-d", out.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  int status = 0;
  return ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

struct Timing {
  double cpuMs = 1e300;   // user + system time of this thread
  double wallMs = 1e300;
  bool ok = true;
};

double threadCpuMs() {
  rusage usage{};
  ::getrusage(RUSAGE_THREAD, &usage);
  auto ms = [](const timeval& tv) { return tv.tv_sec * 1e3 + tv.tv_usec / 1e3; };
  return ms(usage.ru_utime) + ms(usage.ru_stime);
}

double childrenCpuMs() {
  rusage usage{};
  ::getrusage(RUSAGE_CHILDREN, &usage);
  auto ms = [](const timeval& tv) { return tv.tv_sec * 1e3 + tv.tv_usec / 1e3; };
  return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// One run into a fresh folder, removed afterwards (not timed). Runs of the
// contenders alternate, so that a busy moment of the machine hits all
// of them alike; the figure of each is its fastest run.
void timeOnce(const std::function<bool(const std::string&)>& run, const std::string& out, bool child,
              bool keep, Timing& timing) {
  fs::create_directories(out);
  const double cpu0 = child ? childrenCpuMs() : threadCpuMs();
  const auto start = Clock::now();
  timing.ok = run(out) && timing.ok;
  const double wall = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  const double cpu = (child ? childrenCpuMs() : threadCpuMs()) - cpu0;
  if (keep) {
    timing.wallMs = std::min(timing.wallMs, wall);
    timing.cpuMs = std::min(timing.cpuMs, cpu);
  }
  fs::remove_all(out);
}

}  // namespace

int main() {
  // Memory-backed when the machine has it: the disk's write-back would
  // otherwise swamp what the readers themselves cost.
  std::string pattern = fs::is_directory("/dev/shm") ? "/dev/shm/tembra-zip-bench-XXXXXX" : "/tmp/tembra-zip-bench-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) return 1;
  const std::string dir = pattern;
  const std::string archive = dir + "/package.zip";
  const auto list = members();
  size_t total = 0;
  for (const Member& m : list) total += m.data.size();
  if (!buildArchive(archive, list)) {
    std::fprintf(stderr, "zip_bench: cannot build the archive\n");
    return 1;
  }
  const bool haveUnzip = ::system("command -v unzip >/dev/null 2>&1") == 0;
  Timing tOurs, tLibzip, tUnzip;
  for (int i = 0; i <= kRuns; ++i) {
    const bool keep = i > 0;  // the first round warms caches and memory
    timeOnce([&](const std::string& out) { return ours(archive, out); }, dir + "/ours", false, keep, tOurs);
    timeOnce([&](const std::string& out) { return withLibzip(archive, out); }, dir + "/libzip", false, keep, tLibzip);
    if (haveUnzip)
      timeOnce([&](const std::string& out) { return unzipProgram(archive, out); }, dir + "/unzip", true, keep, tUnzip);
  }
  std::printf("archive: %zu members, %.1f MB unpacked, %.1f MB packed\n", list.size(), total / 1e6,
              fs::file_size(archive) / 1e6);
  auto line = [](const char* who, const Timing& t) {
    std::printf("extract %s: %.1f ms processor time, %.1f ms elapsed%s\n", who, t.cpuMs, t.wallMs,
                t.ok ? "" : " (FAILED)");
  };
  line("ZipReader", tOurs);
  line("libzip", tLibzip);
  if (haveUnzip) line("unzip program", tUnzip);
  fs::remove_all(dir);
  std::printf("ratio zip_extract_vs_libzip %.3f goal 1.0\n", tOurs.cpuMs / tLibzip.cpuMs);
  return tOurs.ok && tLibzip.ok ? 0 : 1;
}
